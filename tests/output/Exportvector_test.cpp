// SVG and PDF pictures, read back by independent readers (rsvg-convert,
// pdftoppm, pdfinfo), must show what the bitmap export shows, at true scale.

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <string>

#include "archive/Safefile.h"
#include "model/Vemodocument.h"
#include "output/Exportbitmap.h"
#include "output/Exportvector.h"
#include "render/Dibwrap.h"
#include "tests/gerber/Gerbertest.h"
#include "tests/output/Inkcompare.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPpi = 508;  // 20 pixels per millimetre

TEST(VectorExport, SvgAndPdfShowWhatTheBitmapShows) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TVemoDocument doc;
    gerbertest::BuildFixture(doc);
    const struct {
        const char* file;
        TVectorFormat format;
        bool mirror;
        bool negative;
    } rows[] = {
        {"film.svg", TVectorFormat::Svg, true, false},
        {"film.pdf", TVectorFormat::Pdf, false, false},
        {"negative.pdf", TVectorFormat::Pdf, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        TBitmapExportOptions options;
        options.ppi = kPpi;
        options.monochrome = true;
        options.mirror = row.mirror;
        options.negative = row.negative;
        options.layers = {"solder"};
        const fs::path file = fs::path(dir.path().toStdString()) / row.file;
        TVectorExportResult result;
        std::string error;
        ASSERT_TRUE(ExportVector(doc, file.string(), row.format, options, result, error)) << error;
        EXPECT_EQ(result.bytes, fs::file_size(file));
        EXPECT_DOUBLE_EQ(result.widthMm, 40.0);

        TDIBitmap ours;
        ASSERT_TRUE(RenderBitmapExport(doc, options, ours, error)) << error;
        const QImage theirs = row.format == TVectorFormat::Svg ? inkcompare::RenderSvg(file, kPpi)
                                                               : inkcompare::RenderPdf(file, kPpi);
        ASSERT_FALSE(theirs.isNull());
        ASSERT_EQ(ours.Width(), 800);
        // A PDF page is whole points: up to one point more paper on the right and at the bottom.
        const int slack = row.format == TVectorFormat::Pdf ? 1 + kPpi / 72 : 0;
        EXPECT_GE(theirs.width(), ours.Width()) << "true scale: 40 mm at " << kPpi << " ppi";
        EXPECT_LE(theirs.width(), ours.Width() + slack);
        EXPECT_GE(theirs.height(), ours.Height());
        EXPECT_LE(theirs.height(), ours.Height() + slack);
        const QImage same = theirs.copy(0, 0, ours.Width(), ours.Height());
        const inkcompare::Comparison c = inkcompare::Compare(
            inkcompare::InkOf(ours.Image()), inkcompare::InkOf(same), ours.Width(), ours.Height());
        std::printf(
            "%s: %.3f %% of %lld pixels agree, %lld ink (ours) / %lld (reader), %lld far from edges\n",
            row.file, c.Agree(), c.pixels, c.inkOurs, c.inkGerbv, c.farFromEdges);
        EXPECT_GE(c.Agree(), 99.0);
        EXPECT_EQ(c.farFromEdges, 0);
        EXPECT_GT(row.negative ? c.pixels - c.inkOurs : c.inkOurs, c.pixels / 50) << "the artwork is there";
    }
}

TEST(VectorExport, SizesAreMillimetres) {
    QTemporaryDir dir;
    TVemoDocument doc;
    gerbertest::BuildFixture(doc);
    doc.SetAreaSize(1234, 567);  // 123.4 x 56.7 mm
    TBitmapExportOptions options;
    TVectorExportResult result;
    std::string error;
    const std::string svg = dir.filePath("a.svg").toStdString(), pdf = dir.filePath("a.pdf").toStdString();
    ASSERT_TRUE(ExportVector(doc, svg, TVectorFormat::Svg, options, result, error)) << error;
    std::string text;
    ASSERT_TRUE(ReadWholeFile(svg, text, error));
    EXPECT_NE(text.find("<svg width=\"123.4mm\" height=\"56.7mm\""), std::string::npos)
        << text.substr(0, 300);
    EXPECT_EQ(text.find("<text"), std::string::npos) << "texts go out as outlines";

    ASSERT_TRUE(ExportVector(doc, pdf, TVectorFormat::Pdf, options, result, error)) << error;
    QProcess info;
    info.start("pdfinfo", {"-box", QString::fromStdString(pdf)});
    ASSERT_TRUE(info.waitForFinished(60000));
    const QString said = QString::fromLocal8Bit(info.readAllStandardOutput());
    const QRegularExpressionMatch box =
        QRegularExpression(R"(MediaBox:\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+))").match(said);
    ASSERT_TRUE(box.hasMatch()) << said.toStdString();
    // The page holds the design area, rounded up to whole points as PDF pages of Qt are.
    const double points = 72.0 / 25.4;
    const double width = box.captured(3).toDouble() - box.captured(1).toDouble();
    const double height = box.captured(4).toDouble() - box.captured(2).toDouble();
    EXPECT_GE(width, 123.4 * points);
    EXPECT_LT(width, 123.4 * points + 1);
    EXPECT_GE(height, 56.7 * points);
    EXPECT_LT(height, 56.7 * points + 1);

    // Failures leave nothing behind.
    options.layers = {"nosuch"};
    EXPECT_FALSE(
        ExportVector(doc, dir.filePath("b.pdf").toStdString(), TVectorFormat::Pdf, options, result, error));
    EXPECT_NE(error.find("nosuch"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir.filePath("b.pdf").toStdString()));
}

}  // namespace
