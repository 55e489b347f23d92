// EMF metafiles, read back by an independent reader (Inkscape), must show what
// our bitmap export shows, at true scale, and be well formed when empty.

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"
#include "model/Vemorectangle.h"
#include "boardgen/Shapes.h"
#include "output/Exportbitmap.h"
#include "output/Exportemf.h"
#include "render/Dibwrap.h"
#include "tests/output/Inkcompare.h"

namespace {

namespace fs = std::filesystem;

std::int32_t Int(const std::string& bytes, std::size_t at) {
    std::int32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

// The metafile's records: type and size of each, which must tile the file exactly.
std::vector<std::pair<std::uint32_t, std::uint32_t>> Records(const std::string& bytes) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> records;
    std::size_t at = 0;
    while (at + 8 <= bytes.size()) {
        const auto type = std::uint32_t(Int(bytes, at)), size = std::uint32_t(Int(bytes, at + 4));
        if (size < 8 || size % 4 != 0 || at + size > bytes.size()) break;
        records.emplace_back(type, size);
        at += size;
    }
    EXPECT_EQ(at, bytes.size()) << "records do not tile the file";
    return records;
}

void ExpectWellFormed(const std::string& bytes) {
    ASSERT_GE(bytes.size(), 108u + 20u);
    const auto records = Records(bytes);
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records.front().first, 1u);                  // EMR_HEADER first
    EXPECT_EQ(records.back().first, 14u);                  // EMR_EOF last
    EXPECT_EQ(Int(bytes, 40), 0x464D4520);                 // " EMF"
    EXPECT_EQ(std::size_t(Int(bytes, 48)), bytes.size());  // nBytes
    EXPECT_EQ(std::size_t(Int(bytes, 52)), records.size());
}

// Inkscape's picture of the metafile's frame at ppi, on white.
QImage RenderWithInkscape(const fs::path& emf, int ppi) {
    const QString exe = QStandardPaths::findExecutable("inkscape");
    if (exe.isEmpty()) {
        ADD_FAILURE() << "inkscape is not installed (scripts/setup.sh installs it)";
        return {};
    }
    const fs::path png = emf.parent_path() / (emf.filename().string() + ".png");
    QProcess process;
    process.setProcessEnvironment([] {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", QDir::tempPath());  // Inkscape keeps preferences there
        return env;
    }());
    process.start(
        exe, {"--export-type=png", "--export-dpi=" + QString::number(ppi), "--export-background=white",
              "--export-background-opacity=1", "--export-filename=" + QString::fromStdString(png.string()),
              QString::fromStdString(emf.string())});
    EXPECT_TRUE(process.waitForFinished(120000)) << "inkscape did not finish";
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QImage image(QString::fromStdString(png.string()));
    EXPECT_FALSE(image.isNull()) << "inkscape wrote no picture of " << emf;
    return image;
}

// Our picture of the whole design area at ppi, and Inkscape's of the metafile,
// brought onto the same pixels through the metafile's frame (0.01 mm).
struct Pair {
    QImage ours, theirs;
};
Pair Pictures(const TVemoDocument& doc, const TEmfExportOptions& emf, const TBitmapExportOptions& bmp,
              const fs::path& file) {
    std::string bytes, error;
    TEmfExportResult result;
    EXPECT_TRUE(EmfBytes(doc, emf, bytes, result, error)) << error;
    ExpectWellFormed(bytes);
    EXPECT_TRUE(ExportEmf(doc, file.string(), emf, result, error)) << error;
    TDIBitmap ours;
    EXPECT_TRUE(RenderBitmapExport(doc, bmp, ours, error)) << error;
    const QImage theirs = RenderWithInkscape(file, int(bmp.ppi));
    if (theirs.isNull()) return {};
    // At 254 ppi a pixel is a document unit (0.1 mm); the frame is in 0.01 mm.
    const RectF area = doc.GetAreaRect();
    const int dx = int(std::lround(Int(bytes, 24) / 10.0 - area.x));
    const int dy = int(std::lround(Int(bytes, 28) / 10.0 - area.y));
    QImage placed(ours.Width(), ours.Height(), QImage::Format_RGB32);
    placed.fill(Qt::white);
    for (int y = 0; y < placed.height(); ++y)
        for (int x = 0; x < placed.width(); ++x) {
            const int u = x - dx, v = y - dy;
            if (u >= 0 && v >= 0 && u < theirs.width() && v < theirs.height())
                placed.setPixel(x, y, theirs.pixel(u, v));
        }
    return {ours.Image().convertToFormat(QImage::Format_RGB32), placed};
}

TEST(EmfExport, InkscapeShowsWhatTheBitmapShows) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string error;
    std::unique_ptr<TVemoDocument> doc = ReadDocumentFile(ZELKO_SOURCE_DIR "/examples/demo.vbf", error);
    ASSERT_TRUE(doc) << error;

    // A film: ink maps must agree but for the edges.
    {
        TEmfExportOptions emf;
        emf.monochrome = true;
        TBitmapExportOptions bmp;
        bmp.ppi = 254;
        bmp.monochrome = true;
        ExportPaper(bmp);  // black ink on white paper for both
        const Pair p = Pictures(*doc, emf, bmp, fs::path(dir.path().toStdString()) / "film.emf");
        ASSERT_FALSE(p.theirs.isNull());
        const inkcompare::Comparison c = inkcompare::Compare(
            inkcompare::InkOf(p.ours), inkcompare::InkOf(p.theirs), p.ours.width(), p.ours.height());
        std::printf("film.emf: %.3f %% of %lld pixels agree, %lld far from edges\n", c.Agree(), c.pixels,
                    c.farFromEdges);
        EXPECT_GE(c.Agree(), 99.0);
        EXPECT_EQ(c.farFromEdges, 0);
        EXPECT_GT(c.inkOurs, c.pixels / 50) << "the artwork is there";
    }
    // Colour, every layer opaque: the bitmap of the same document with its
    // layers made opaque shows the same colours.
    {
        TEmfExportOptions emf;
        const fs::path file = fs::path(dir.path().toStdString()) / "colour.emf";
        std::unique_ptr<TVemoDocument> opaque = DocumentFromBytes(DocumentBytes(*doc), error);
        ASSERT_TRUE(opaque) << error;
        TVemoLayerList& layers = opaque->GetLayerList();
        for (int i = 0; i < layers.Count(); ++i) layers.At(i)->SetOpaque(true);
        opaque->GetRoot().Rebuild();
        TBitmapExportOptions bmp;
        bmp.ppi = 254;
        bmp.antialias = true;  // as the reader draws
        const Pair p = Pictures(*opaque, emf, bmp, file);
        ASSERT_FALSE(p.theirs.isNull());
        const int w = p.ours.width(), h = p.ours.height();
        const auto near = [](QRgb a, QRgb b) {
            return std::abs(qRed(a) - qRed(b)) <= 24 && std::abs(qGreen(a) - qGreen(b)) <= 24 &&
                   std::abs(qBlue(a) - qBlue(b)) <= 24;
        };
        // Colour edges of either picture, and the pixels within reach of one.
        std::vector<bool> nearEdge(std::size_t(w) * h, false);
        for (const QImage* image : {&p.ours, &p.theirs})
            for (int y = 0; y + 1 < h; ++y)
                for (int x = 0; x + 1 < w; ++x) {
                    const QRgb c = image->pixel(x, y);
                    if (near(c, image->pixel(x + 1, y)) && near(c, image->pixel(x, y + 1))) continue;
                    for (int yy = std::max(0, y - 3); yy <= std::min(h - 1, y + 3); ++yy)
                        for (int xx = std::max(0, x - 3); xx <= std::min(w - 1, x + 3); ++xx)
                            nearEdge[std::size_t(yy) * w + xx] = true;
                }
        long long same = 0, inked = 0, farFromEdges = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb a = p.ours.pixel(x, y), b = p.theirs.pixel(x, y);
                const bool agrees = near(a, b);
                same += agrees;
                farFromEdges += !agrees && !nearEdge[std::size_t(y) * w + x];
                inked += a != qRgb(255, 255, 255);
            }
        const double agree = 100.0 * double(same) / double(w * h);
        std::printf("colour.emf: %.3f %% of the pixels agree in colour, %lld differ far from edges\n", agree,
                    farFromEdges);
        EXPECT_GE(agree, 99.0);
        EXPECT_EQ(farFromEdges, 0);
        EXPECT_GT(inked, (long long)w * h / 50);
    }
}

TEST(EmfExport, SelectionOnlyAndAnEmptySelection) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TVemoDocument doc;
    doc.SetAreaOrigin(0, 0);
    doc.SetAreaSize(1000, 750);
    const TVemoLayerPtr solder = doc.GetLayerList().Find("solder");
    ASSERT_TRUE(solder);
    solder->SetOutput(true);
    for (float x : {100.0f, 600.0f})
        doc.GetRoot().AddChild(boardgen::SquarePad({x + 100, 175}, 200, 150, 0, solder));
    doc.GetRoot().Rebuild();

    TEmfExportOptions options;
    options.selectedOnly = true;
    options.layers = {"solder"};
    std::string bytes, error;
    TEmfExportResult result;

    // Nothing selected: a valid metafile with nothing in it, which a reader opens.
    ASSERT_TRUE(EmfBytes(doc, options, bytes, result, error)) << error;
    ExpectWellFormed(bytes);
    EXPECT_TRUE(result.empty);
    EXPECT_EQ(Int(bytes, 8 + 8), -1) << "empty bounds end before they start";
    const fs::path empty = fs::path(dir.path().toStdString()) / "empty.emf";
    ASSERT_TRUE(ExportEmf(doc, empty.string(), options, result, error)) << error;
    QProcess inkscape;
    inkscape.start(
        QStandardPaths::findExecutable("inkscape"),
        {"--export-type=svg", "--export-filename=" + QString::fromStdString(empty.string() + ".svg"),
         QString::fromStdString(empty.string())});
    ASSERT_TRUE(inkscape.waitForFinished(120000));
    EXPECT_EQ(inkscape.exitCode(), 0);

    // The right one selected: the bounds are its own (in 0.01 mm), not the other's.
    doc.GetRoot().GetChild(1)->Select();
    ASSERT_TRUE(EmfBytes(doc, options, bytes, result, error)) << error;
    ExpectWellFormed(bytes);
    EXPECT_FALSE(result.empty);
    EXPECT_NEAR(Int(bytes, 8), 6000, 20);       // left
    EXPECT_NEAR(Int(bytes, 8 + 8), 8000, 20);   // right
    EXPECT_NEAR(Int(bytes, 8 + 4), 1000, 20);   // top
    EXPECT_NEAR(Int(bytes, 8 + 12), 2500, 20);  // bottom
}

TEST(EmfExport, TranslucentColoursAreLightenedUnlessOpaque) {
    TVemoDocument doc;
    const TVemoLayerPtr solder = doc.GetLayerList().Find("solder");
    solder->SetOutput(true);
    doc.GetRoot().AddChild(boardgen::SquarePad({50, 50}, 100, 100, 0, solder));
    doc.GetRoot().Rebuild();
    ASSERT_FALSE(solder->IsOpaque());

    // The colour of the first solid brush the metafile makes.
    const auto brush = [&](bool opaque) {
        TEmfExportOptions options;
        options.opaque = opaque;
        options.layers = {"solder"};
        std::string bytes, error;
        TEmfExportResult result;
        EXPECT_TRUE(EmfBytes(doc, options, bytes, result, error)) << error;
        std::size_t at = 0;
        for (const auto& [type, size] : Records(bytes)) {
            if (type == 39) return std::uint32_t(Int(bytes, at + 16));  // EMR_CREATEBRUSHINDIRECT: lbColor
            at += size;
        }
        ADD_FAILURE() << "no brush";
        return 0u;
    };
    const Argb layer = solder->GetOpaqueColour();
    const std::uint32_t full = (layer >> 16 & 0xFF) | (layer & 0xFF00) | (layer & 0xFF) << 16;
    EXPECT_EQ(brush(true), full);
    const std::uint32_t light = brush(false);
    EXPECT_NE(light, full);
    for (int shift : {0, 8, 16}) EXPECT_GE(light >> shift & 0xFF, full >> shift & 0xFF) << "lighter on white";
    EXPECT_FALSE(solder->IsOpaque()) << "the document is not changed";
}

}  // namespace

namespace {

// The picture behind the drawing, when the view shows it: under the layers, at
// the design area's size, in both the bitmap and (as Inkscape reads it) the
// metafile; not at all in a film or when the view hides it.
TEST(EmfExport, BackgroundPictureUnderTheLayersAtTheAreasSize) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TVemoDocument doc;
    doc.SetAreaOrigin(0, 0);
    doc.SetAreaSize(200, 200);
    doc.SetViewFlags(TVemoDocumentInfo::ViewShowBackground);
    doc.GetRoot().AddChild(boardgen::SquarePad({150, 150}, 40, 40, 0, doc.GetLayerList().Find("solder")));
    // Quarters of 10 x 10 pixels: readers that smooth a scaled picture keep
    // each quarter's middle pure.
    QImage quarters(20, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            quarters.setPixel(x, y,
                              y < 10 ? (x < 10 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                     : (x < 10 ? qRgb(0, 0, 255) : qRgb(255, 255, 0)));
    TEmfExportOptions emf;
    emf.background = &quarters;
    TBitmapExportOptions bmp;
    bmp.ppi = 254;
    bmp.background = &quarters;
    const Pair p = Pictures(doc, emf, bmp, fs::path(dir.path().toStdString()) / "back.emf");
    ASSERT_FALSE(p.theirs.isNull());
    for (const QImage* picture : {&p.ours, &p.theirs}) {
        const char* who = picture == &p.ours ? "bitmap" : "inkscape";
        EXPECT_EQ(picture->pixel(50, 50) & 0xFFFFFF, 0xFF0000u) << who;
        EXPECT_EQ(picture->pixel(150, 50) & 0xFFFFFF, 0x00FF00u) << who;
        EXPECT_EQ(picture->pixel(50, 150) & 0xFFFFFF, 0x0000FFu) << who;
        // The pad lies over the yellow quarter.
        EXPECT_NE(picture->pixel(150, 150) & 0xFFFFFF, 0xFFFF00u) << who;
        EXPECT_EQ(picture->pixel(110, 110) & 0xFFFFFF, 0xFFFF00u) << who;
    }
    // Hidden by the view, or a film: no picture.
    std::string bytes, error;
    TEmfExportResult result;
    ASSERT_TRUE(EmfBytes(doc, emf, bytes, result, error)) << error;
    const std::size_t with = bytes.size();
    doc.ClearViewFlags(TVemoDocumentInfo::ViewShowBackground);
    ASSERT_TRUE(EmfBytes(doc, emf, bytes, result, error)) << error;
    EXPECT_LT(bytes.size(), with);
    TDIBitmap hidden;
    ASSERT_TRUE(RenderBitmapExport(doc, bmp, hidden, error)) << error;
    EXPECT_EQ(hidden.Image().pixel(50, 50) & 0xFFFFFF, 0xFFFFFFu);
}

}  // namespace
