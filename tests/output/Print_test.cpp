// Printing at true scale: a page printed to PDF, rasterised by pdftoppm, has
// its marks within 0.1 mm of where they belong, mirrored or not; the preview
// fits the page to its picture.

#include <gtest/gtest.h>

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cmath>
#include <filesystem>
#include <string>

#include "boardgen/Shapes.h"
#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"
#include "output/Print.h"
#include "tests/output/Inkcompare.h"

namespace {

namespace fs = std::filesystem;

// A whole A4 page at 400 ppi stays under the image readers' allocation limit.
constexpr int kPpi = 400;
constexpr double kMmPerPixel = 25.4 / kPpi;
// A4 landscape with 48.5 mm side margins: a printable width of about 200 mm.
// PDF writers keep margins in whole points, so the printable area's real
// edges are read back from the writer, in whole points.
constexpr double kAskedMarginMm = 48.5;
double leftMarginMm = 0, topMarginMm = 0, printableWidthMm = 0;

// Marks: discs 1 mm across at these document x positions, 20 mm down.
constexpr float kMarks[] = {50, 500, 1000, 1500, 1950};
constexpr float kMarkY = 200;

void BuildMarks(TVemoDocument& doc) {
    doc.SetAreaOrigin(0, 0);
    doc.SetAreaSize(2000, 1500);
    const TVemoLayerPtr solder = doc.GetLayerList().Find("solder");
    for (float x : kMarks) doc.GetRoot().AddChild(boardgen::Disc({x, kMarkY}, 5, 5, false, solder));
    doc.GetRoot().Rebuild();
}

QImage PrintAndRasterise(const TVemoDocument& doc, const TPrintOptions& options, const fs::path& pdf) {
    {
        QPdfWriter writer(QString::fromStdString(pdf.string()));
        writer.setResolution(1200);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(kAskedMarginMm, 10, kAskedMarginMm, 10),
                                         QPageLayout::Millimeter));
        const QRectF printable = QRectF(writer.pageLayout().paintRectPoints()).toRect();
        leftMarginMm = printable.left() * 25.4 / 72, topMarginMm = printable.top() * 25.4 / 72;
        printableWidthMm = printable.width() * 25.4 / 72;
        EXPECT_NEAR(printableWidthMm, 200.0, 0.5);
        std::string error;
        EXPECT_TRUE(PrintPage(doc, writer, options, error)) << error;
    }
    return inkcompare::RenderPdf(pdf, kPpi);
}

// The centre (mm from the printable area's left and top edges) of the ink
// (or, on a black page, the white) within 3 mm of the expected place.
bool MarkAt(const QImage& page, double xMm, double yMm, bool whiteOnBlack, double& foundX, double& foundY) {
    const int cx = int((xMm + leftMarginMm) / kMmPerPixel), cy = int((yMm + topMarginMm) / kMmPerPixel);
    const int reach = int(3.0 / kMmPerPixel);
    double sx = 0, sy = 0, n = 0;
    for (int y = cy - reach; y <= cy + reach; ++y)
        for (int x = cx - reach; x <= cx + reach; ++x) {
            if (x < 0 || y < 0 || x >= page.width() || y >= page.height()) continue;
            const bool dark = qGray(page.pixel(x, y)) < 128;
            if (dark == whiteOnBlack) continue;
            sx += x + 0.5, sy += y + 0.5, n += 1;
        }
    if (n == 0) return false;
    foundX = sx / n * kMmPerPixel - leftMarginMm;
    foundY = sy / n * kMmPerPixel - topMarginMm;
    return true;
}

TEST(Print, MarksLandWithinATenthOfAMillimetreMirroredOrNot) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TVemoDocument doc;
    BuildMarks(doc);
    for (const bool mirror : {false, true}) {
        SCOPED_TRACE(mirror ? "mirrored" : "as drawn");
        TPrintOptions options;
        options.mirror = mirror;
        options.layers = {"solder"};
        const QImage page = PrintAndRasterise(
            doc, options, fs::path(dir.path().toStdString()) / (mirror ? "mirrored.pdf" : "plain.pdf"));
        ASSERT_FALSE(page.isNull());
        for (float x : kMarks) {
            // 500 units is 50 mm from the left edge; mirrored, 150 mm.
            const double want = mirror ? printableWidthMm - x / 10.0 : x / 10.0;
            double fx = 0, fy = 0;
            ASSERT_TRUE(MarkAt(page, want, kMarkY / 10.0, false, fx, fy)) << "no mark near " << want << " mm";
            EXPECT_NEAR(fx, want, 0.1) << "mark at " << x;
            EXPECT_NEAR(fy, kMarkY / 10.0, 0.1) << "mark at " << x;
        }
    }
}

TEST(Print, NegativeIsABlackPageWithWhiteObjects) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TVemoDocument doc;
    BuildMarks(doc);
    TPrintOptions options;
    options.negative = true;
    options.layers = {"solder"};
    const QImage page = PrintAndRasterise(doc, options, fs::path(dir.path().toStdString()) / "negative.pdf");
    ASSERT_FALSE(page.isNull());
    double fx = 0, fy = 0;
    ASSERT_TRUE(MarkAt(page, 50.0, 20.0, true, fx, fy));
    EXPECT_NEAR(fx, 50.0, 0.1);
    const auto grey = [&](double xMm, double yMm) {
        return qGray(
            page.pixel(int((xMm + leftMarginMm) / kMmPerPixel), int((yMm + topMarginMm) / kMmPerPixel)));
    };
    EXPECT_LT(grey(100, 100), 64) << "the printable page is black";
    EXPECT_GT(grey(50, 20), 192) << "the mark is white";
    EXPECT_GT(grey(-20, 100), 192) << "the margin is the paper's own";
}

TEST(Print, PreviewFitsThePageAndSaysWhenThereIsNoPrinter) {
    TVemoDocument doc;
    TPrintOptions options;
    options.monochrome = false;
    options.layers = {"hole"};  // nothing on it: only the page frame is drawn
    // The frame's extent in the picture.
    const auto frame = [&](double wMm, double hMm, bool mirror) {
        options.mirror = mirror;
        QImage picture(400, 300, QImage::Format_ARGB32_Premultiplied);
        std::string error;
        EXPECT_TRUE(RenderPrintPreview(doc, wMm, hMm, options, picture, error)) << error;
        int l = picture.width(), t = picture.height(), r = -1, b = -1;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (qGray(picture.pixel(x, y)) < 200)
                    l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
        return QRect(QPoint(l, t), QPoint(r, b));
    };
    const QRect portrait = frame(200, 280, false);  // fitted by its height
    EXPECT_NEAR(portrait.height(), 240, 2);
    EXPECT_NEAR(portrait.width(), 240.0 * 200 / 280, 2);
    EXPECT_NEAR(portrait.center().x(), 200, 2);
    const QRect landscape = frame(280, 200, false);  // fitted by its width
    EXPECT_NEAR(landscape.width(), 320, 2);
    EXPECT_NEAR(landscape.center().y(), 150, 2);
    const QRect mirrored = frame(280, 200, true);  // the same place, to a pixel
    EXPECT_NEAR(mirrored.left(), landscape.left(), 1);
    EXPECT_NEAR(mirrored.right(), landscape.right(), 1);
    EXPECT_EQ(mirrored.top(), landscape.top());

    QImage picture(400, 300, QImage::Format_ARGB32_Premultiplied);
    std::string error;
    EXPECT_FALSE(RenderPrintPreview(doc, 0, 0, options, picture, error));
    EXPECT_NE(error.find("no printer"), std::string::npos) << error;
}

}  // namespace
