// An independent reader judges our files: gerbv renders the exported layers
// and the ink must lie where the document's objects are, and nowhere far from them.

#include <gtest/gtest.h>

#include <unistd.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "gerber/Gerberexport.h"
#include "model/Vemoobjectvisitor.h"
#include "tests/gerber/Gerbertest.h"

namespace fs = std::filesystem;

namespace {

using gerbertest::TFixture;

constexpr int kDpi = 1270;              // 50 pixels per millimetre
constexpr double kPixelsPerUnit = 5.0;  // document units are 0.1 mm

// Renders a Gerber file with gerbv: the window's lower-left corner at
// (x, y) mm, size widthPx x heightPx. Fails the test when gerbv is missing,
// complains, or leaves no picture.
QImage Render(const fs::path& gbr, double xMm, double yMm, int widthPx, int heightPx) {
    const QString gerbv = QStandardPaths::findExecutable("gerbv");
    if (gerbv.isEmpty()) {
        ADD_FAILURE() << "gerbv is not installed (scripts/setup.sh installs it); it must judge the files";
        return {};
    }
    const fs::path png = gbr.parent_path() / (gbr.stem().string() + ".png");
    char origin[32], window[32];
    std::snprintf(origin, sizeof origin, "%gx%g", xMm, yMm);
    // The window is given in inches; half a pixel more survives the truncation.
    std::snprintf(window, sizeof window, "%.6fx%.6f", (widthPx + 0.5) / kDpi, (heightPx + 0.5) / kDpi);
    QProcess process;
    process.start(gerbv, {"-x", "png", "-D", QString::number(kDpi), "-B", "0", "-b", "#ffffff", "-f",
                          "#000000ff", "-u", "mm", "-O", origin, "-W", window, "-o",
                          QString::fromStdString(png.string()), QString::fromStdString(gbr.string())});
    EXPECT_TRUE(process.waitForFinished(120000)) << "gerbv did not finish";
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_FALSE(errors.contains("CRITICAL", Qt::CaseInsensitive) ||
                 errors.contains("WARNING", Qt::CaseInsensitive))
        << gbr << ": " << errors.toStdString();
    QImage image(QString::fromStdString(png.string()));
    EXPECT_FALSE(image.isNull()) << "gerbv wrote no picture of " << gbr;
    if (!image.isNull()) {
        EXPECT_EQ(image.width(), widthPx);
        EXPECT_EQ(image.height(), heightPx);
    }
    return image;
}

bool Ink(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

// Every object's area (as the editor draws it) in the window's pixels, grown
// (margin > 0) or shrunk (margin < 0) by |margin| document units.
QImage ModelMask(TVemoDocument& doc, int widthPx, int heightPx, double margin) {
    QImage mask(widthPx, heightPx, QImage::Format_Grayscale8);
    mask.fill(0);
    QPainterPath area;
    area.setFillRule(Qt::WindingFill);
    TLayerVisitor onLayer(doc.GetLayerList().Find("solder")->GetIndex());
    doc.GetRoot().AcceptDeep(onLayer);
    for (const TVemoObject* object : onLayer.Objects()) {
        GraphicsPath outline;
        if (const auto* text = dynamic_cast<const TVemoString*>(object))
            outline = text->GetOutline();  // a text is its glyphs
        else
            object->AddOutline(outline, object->GetLayer()->GetIndex());
        for (const std::vector<PointF>& polygon : outline.FlattenedPolygons(0.05f)) {
            QPolygonF q;
            for (const PointF& p : polygon) q << QPointF(p.x, p.y);
            area.addPolygon(q);
            area.closeSubpath();
        }
    }
    QPainter painter(&mask);
    painter.scale(kPixelsPerUnit, kPixelsPerUnit);
    painter.translate(-0.5 / kPixelsPerUnit, -0.5 / kPixelsPerUnit);  // pixel centres
    painter.fillPath(area, QColor(255, 255, 255));
    painter.strokePath(area, QPen(margin > 0 ? Qt::white : Qt::black, 2 * std::fabs(margin), Qt::SolidLine,
                                  Qt::RoundCap, Qt::RoundJoin));
    return mask;
}

class Gerbv : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zelko-gerbv-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(Gerbv, InkLiesWhereTheObjectsAre) {
    TVemoDocument doc;
    gerbertest::BuildFixture(doc);
    TGerberExportOptions options;
    options.folder = dir_.string();
    options.layers = std::vector<std::string>{"solder", "far"};
    const TGerberExportResult result = ExportGerber(doc, options);
    ASSERT_TRUE(result.Succeeded());
    ASSERT_TRUE(result.warnings.empty());

    const int width = int(TFixture::kAreaWidth * kPixelsPerUnit),
              height = int(TFixture::kAreaHeight * kPixelsPerUnit);
    const QImage image = Render(dir_ / "solder.gbr", 0, 0, width, height);
    ASSERT_FALSE(image.isNull());

    // Named points in document units.
    const auto ink = [&](PointF p) {
        return Ink(image, int(p.x * kPixelsPerUnit), int(p.y * kPixelsPerUnit));
    };
    struct Sample {
        std::string name;
        PointF at;
        bool inked;
    };
    std::vector<Sample> samples = {
        {"round flash centre", {40, 40}, true},
        {"just outside the round flash", {40, 51.5f}, false},
        {"rectangle flash corner", {71, 31}, true},
        {"outside the rectangle flash corner", {68.5f, 28.5f}, false},
        {"inside the hole", TFixture::kHoleCentre, false},
        {"filled polygon beside the hole", {175, 260}, true},
    };
    // Square ends: ink in every corner of each cap, none beyond its end.
    const auto corners = [&](const std::string& what, PointF a, PointF b, float width) {
        const double len = geom::Distance(a, b);
        const PointF u((b.x - a.x) / float(len), (b.y - a.y) / float(len)), n(-u.y, u.x);
        const float in = width / 2 - 1.5f;  // 0.15 mm inside the corner
        for (const auto& [end, out] : {std::pair{a, u * -1.0f}, std::pair{b, u}}) {
            for (const float side : {-1.0f, 1.0f}) {
                samples.push_back({what + " cap corner", end + out * in + n * (side * in), true});
                samples.push_back(
                    {what + " beyond the corner", end + out * (width / 2 + 2.5f) + n * (side * in), false});
            }
        }
    };
    for (const auto& [a, b] : TFixture::kSquareStrokes)
        corners("square-ended stroke", a, b, TFixture::kSquareWidth);
    {
        const double r = TFixture::kBarTurn * M_PI / 180.0;
        const PointF u(float(std::cos(r)), float(std::sin(r)));
        const float half = (TFixture::kBarLength - TFixture::kBarWidth) / 2;
        corners("turned bar", TFixture::kBarCentre - u * half, TFixture::kBarCentre + u * half,
                TFixture::kBarWidth);
    }
    for (const Sample& s : samples)
        EXPECT_EQ(ink(s.at), s.inked) << s.name << " at (" << s.at.x << ", " << s.at.y << ")";

    // Every pixel: ink wherever the object lies 0.1 mm inside its edge, none
    // 0.25 mm outside (filled objects without a width are outlined 0.15 mm out).
    const QImage core = ModelMask(doc, width, height, -1.0);
    const QImage reach = ModelMask(doc, width, height, 2.5);
    int missing = 0, stray = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool inked = Ink(image, x, y);
            if (!inked && qGray(core.pixel(x, y)) > 127 && missing++ < 5)
                ADD_FAILURE() << "no ink inside an object at (" << x / kPixelsPerUnit << ", "
                              << y / kPixelsPerUnit << ")";
            if (inked && qGray(reach.pixel(x, y)) < 128 && stray++ < 5)
                ADD_FAILURE() << "ink away from every object at (" << x / kPixelsPerUnit << ", "
                              << y / kPixelsPerUnit << ")";
        }
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(stray, 0);

    // The flash more than 1000 mm out, in a file whose coordinate format was
    // widened for it: a 10 x 10 mm window about its centre.
    const QImage far = Render(dir_ / "far.gbr", TFixture::kFarCentre.x / 10 - 5,
                              (TFixture::kAreaHeight - TFixture::kFarCentre.y) / 10 - 5, 500, 500);
    ASSERT_FALSE(far.isNull());
    EXPECT_TRUE(Ink(far, 250, 250)) << "the flash's centre";
    EXPECT_FALSE(Ink(far, 250, 250 + 60)) << "1.2 mm from its centre";
    EXPECT_FALSE(Ink(far, 10, 10));
}

}  // namespace
