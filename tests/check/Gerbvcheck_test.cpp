// The copper the check measures is the copper the fab gets: gerbv renders the
// layer's Gerber X2 file (the fab flavour) and the check's united outline must
// cover the same pixels, give or take a pixel at the edges.

#include <gtest/gtest.h>

#include <unistd.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QStandardPaths>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "check/Designcheck.h"
#include "gerber/Gerberx2.h"
#include "model/Vemodocument.h"
#include "tests/gerber/Gerbertest.h"

namespace fs = std::filesystem;

namespace {

constexpr int kDpi = 1270;              // 50 pixels per millimetre
constexpr double kPixelsPerUnit = 5.0;  // document units are 0.1 mm

QImage RenderWithGerbv(const fs::path& gbr, int widthPx, int heightPx) {
    const QString gerbv = QStandardPaths::findExecutable("gerbv");
    if (gerbv.isEmpty()) {
        ADD_FAILURE() << "gerbv is not installed (scripts/setup.sh installs it); it must judge the copper";
        return {};
    }
    const fs::path png = gbr.parent_path() / "copper.png";
    char window[32];
    std::snprintf(window, sizeof window, "%.6fx%.6f", (widthPx + 0.5) / kDpi, (heightPx + 0.5) / kDpi);
    QProcess process;
    process.start(gerbv, {"-x", "png", "-D", QString::number(kDpi), "-B", "0", "-b", "#ffffff", "-f",
                          "#000000ff", "-u", "mm", "-O", "0x0", "-W", window, "-o",
                          QString::fromStdString(png.string()), QString::fromStdString(gbr.string())});
    EXPECT_TRUE(process.waitForFinished(120000)) << "gerbv did not finish";
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_FALSE(errors.contains("CRITICAL", Qt::CaseInsensitive) ||
                 errors.contains("WARNING", Qt::CaseInsensitive))
        << errors.toStdString();
    return QImage(QString::fromStdString(png.string()));
}

TEST(DesignCheckGerbv, TheCheckedCopperIsWhatGerbvDraws) {
    using gerbertest::Circle;
    using gerbertest::Polyline;
    using gerbertest::Rect;
    using gerbertest::Surface;
    TVemoDocument doc;
    doc.SetAreaOrigin(0, 0);
    doc.SetAreaSize(400, 300);  // 40 x 30 mm
    const TVemoLayerPtr solder = doc.GetLayerList().Find("solder");
    TVemoPart& root = doc.GetRoot();
    // Tracks with round and square ends, a bend, a curve, lands, a filled
    // polygon with a track into it, a turned rectangle outline and a filled one.
    root.AddChild(Polyline(solder, {{30, 30}, {150, 30}, {200, 80}}, false, Surface(4.0f, false)));
    root.AddChild(Polyline(solder, {{30, 60}, {120, 60}}, false, Surface(3.0f, false, geom::CapSquare)));
    std::vector<PointF> curve = {{40, 250}, {80, 150}, {160, 150}, {200, 250}, {200, 250}, {40, 250}};
    auto bezier = std::make_unique<TVemoPath>();
    bezier->SetLayer(solder);
    bezier->SetSurface(Surface(5.0f, false));
    ASSERT_TRUE(bezier->SetData(curve, std::vector<unsigned char>(curve.size(), 0), false));
    bezier->Rebuild();
    root.AddChild(std::move(bezier));
    root.AddChild(Circle(solder, {260, 60}, 8, Surface(0.0f, true)));
    root.AddChild(Circle(solder, {300, 60}, 6, Surface(2.0f, false)));
    root.AddChild(
        Polyline(solder, {{240, 120}, {360, 130}, {330, 220}, {250, 200}}, true, Surface(1.0f, true)));
    root.AddChild(Polyline(solder, {{200, 80}, {280, 160}}, false, Surface(3.0f, false)));
    Matrix turn;
    turn.RotateAt(25.0f, PointF(100, 110));
    root.AddChild(Rect(solder, {80, 90}, {120, 130}, Surface(2.0f, false), &turn));
    root.AddChild(Rect(solder, {300, 240}, {360, 280}, Surface(0.0f, true)));

    const fs::path dir = fs::temp_directory_path() / ("zelko-check-gerbv-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    TX2ExportOptions options;
    options.folder = dir.string();
    options.attributes = false;  // gerbv does not know the X2 attributes
    options.layers = std::vector<std::string>{"solder"};
    const TGerberExportResult result = ExportGerberX2(doc, options);
    ASSERT_TRUE(result.Succeeded()) << result.error;

    const int width = int(400 * kPixelsPerUnit), height = int(300 * kPixelsPerUnit);
    const QImage fab = RenderWithGerbv(dir / X2FileName(options, "solder"), width, height);
    fs::remove_all(dir);
    ASSERT_FALSE(fab.isNull());
    ASSERT_EQ(fab.size(), QSize(width, height));

    // The check's copper, y down like the picture (the area's top is y = 0).
    QPainterPath copper;
    copper.setFillRule(Qt::OddEvenFill);
    const std::vector<std::vector<PointF>> contours = check::CopperContours(doc, "solder");
    ASSERT_FALSE(contours.empty());
    for (const std::vector<PointF>& contour : contours) {
        QPolygonF polygon;
        for (const PointF& p : contour) polygon << QPointF(p.x, p.y);
        copper.addPolygon(polygon);
        copper.closeSubpath();
    }
    QImage checked(width, height, QImage::Format_Grayscale8);
    checked.fill(0);
    {
        QPainter painter(&checked);
        painter.scale(kPixelsPerUnit, kPixelsPerUnit);
        painter.translate(-0.5 / kPixelsPerUnit, -0.5 / kPixelsPerUnit);  // pixel centres
        painter.fillPath(copper, Qt::white);
    }
    // A pixel of the fab's picture and the check's may differ only where the
    // check's picture has a pixel of the fab's kind within 3 pixels (0.06 mm):
    // the Gerber writer draws curves as chords up to 0.025 mm inside them (the
    // check measures 0.002 mm from the curve), and both pictures round to pixels.
    const auto copperAt = [&](const QImage& image, bool fromGerbv, int x, int y) {
        return fromGerbv ? qGray(image.pixel(x, y)) < 128 : qGray(image.pixel(x, y)) >= 128;
    };
    int inked = 0, far = 0;
    for (int y = 3; y < height - 3; ++y)
        for (int x = 3; x < width - 3; ++x) {
            const bool a = copperAt(fab, true, x, y), b = copperAt(checked, false, x, y);
            inked += a ? 1 : 0;
            if (a == b) continue;
            bool near = false;
            for (int dy = -3; dy <= 3 && !near; ++dy)
                for (int dx = -3; dx <= 3 && !near; ++dx)
                    near = copperAt(checked, false, x + dx, y + dy) == a;
            if (!near && ++far <= 10)
                ADD_FAILURE() << "pixel " << x << ", " << y << (a ? " inked" : " clear") << " by gerbv";
        }
    EXPECT_GT(inked, 20000);
    EXPECT_EQ(far, 0);
}

}  // namespace
