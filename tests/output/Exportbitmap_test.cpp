#include "output/Exportbitmap.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>

#include <unistd.h>

#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "model/Vemorectangle.h"
#include "render/Dibwrap.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kWhite = 0x00FFFFFFu;
constexpr std::uint32_t kBlack = 0u;

TVemoRect* AddRect(TVemoDocument& doc, const std::string& layer, PointF a, PointF b, bool cutOut = false) {
    auto rect = std::make_unique<TVemoRect>();
    rect->SetLayer(doc.GetLayerList().Find(layer));
    rect->SetSurface(TVemoSurface(1.0f, true, cutOut));
    rect->SetCorners(a, b);
    rect->Deselect();
    return static_cast<TVemoRect*>(doc.GetRoot().AddChild(std::move(rect)));
}

// The default 1000 x 750 area with a solder pad in its right tenth and a
// component pad with a cut-out hole in its left part.
std::unique_ptr<TVemoDocument> Board() {
    auto doc = std::make_unique<TVemoDocument>();
    AddRect(*doc, "solder", PointF(900, 100), PointF(1000, 650));
    AddRect(*doc, "component", PointF(100, 100), PointF(400, 400));
    AddRect(*doc, "component", PointF(200, 200), PointF(300, 300), true);
    return doc;
}

class TempDir {
public:
    TempDir() : path_(fs::temp_directory_path() / ("zelko-bmp-" + std::to_string(::getpid()))) {
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

TEST(BitmapExport, ImageSizeFollowsTheResolution) {
    struct Row {
        const char* name;
        double ppi;
        int w, h;
    };
    const Row rows[] = {
        {"254 ppi: one pixel per unit", 254, 1000, 750},
        {"72 ppi truncates", 72, 283, 212},
        {"300 ppi truncates", 300, 1181, 885},
        {"fractional resolution", 25.4, 100, 75},
    };
    const auto doc = std::make_unique<TVemoDocument>();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TBitmapExportOptions options;
        options.ppi = row.ppi;
        TDIBitmap bitmap;
        std::string error;
        ASSERT_TRUE(RenderBitmapExport(*doc, options, bitmap, error)) << error;
        EXPECT_EQ(bitmap.Width(), row.w);
        EXPECT_EQ(bitmap.Height(), row.h);
    }
}

TEST(BitmapExport, MirrorPutsTheAreasRightEdgeAtColumnZero) {
    const auto doc = Board();
    for (const bool mirror : {false, true}) {
        SCOPED_TRACE(mirror ? "mirrored" : "as drawn");
        TBitmapExportOptions options;
        options.ppi = 25.4;  // 100 x 75 pixels
        options.monochrome = true;
        options.mirror = mirror;
        TDIBitmap b;
        std::string error;
        ASSERT_TRUE(RenderBitmapExport(*doc, options, b, error)) << error;
        // The solder pad covers x 900 ... 1000 (columns 90 ... 99 unmirrored).
        EXPECT_EQ(b.Pixel(mirror ? 0 : 99, 40), kBlack);
        EXPECT_EQ(b.Pixel(mirror ? 9 : 90, 40), kBlack);
        EXPECT_EQ(b.Pixel(mirror ? 11 : 88, 40), kWhite);
        EXPECT_EQ(b.Pixel(mirror ? 99 : 0, 40), kWhite);
        // The component pad (x 100 ... 400) lands on the other side.
        EXPECT_EQ(b.Pixel(mirror ? 84 : 15, 15), kBlack);
    }
}

TEST(BitmapExport, MonochromeInkAndPaper) {
    struct Row {
        const char* name;
        bool negative;
        std::uint32_t paper, ink;
    };
    const Row rows[] = {{"positive", false, kWhite, kBlack}, {"negative", true, kBlack, kWhite}};
    const auto doc = Board();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TBitmapExportOptions options;
        options.ppi = 25.4;
        options.monochrome = true;
        options.negative = row.negative;
        TDIBitmap b;
        std::string error;
        ASSERT_TRUE(RenderBitmapExport(*doc, options, b, error)) << error;
        EXPECT_EQ(b.Pixel(60, 60), row.paper) << "page";
        EXPECT_EQ(b.Pixel(95, 40), row.ink) << "solder pad";
        EXPECT_EQ(b.Pixel(15, 15), row.ink) << "component pad";
        EXPECT_EQ(b.Pixel(25, 25), row.paper) << "cut-out hole";
    }
    DrawStyle().Reset();
}

TEST(BitmapExport, ColourUsesTheLayerColoursAndTheChosenLayers) {
    auto doc = Board();
    doc->GetLayerList().Find("component")->SetOutput(false);
    struct Row {
        const char* name;
        std::vector<std::string> layers;
        bool solder, component;
    };
    const Row rows[] = {
        {"the output layers", {}, true, false},
        {"a list overrides the output flags", {"component"}, false, true},
        {"both by name", {"solder", "component"}, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TBitmapExportOptions options;
        options.ppi = 25.4;
        options.layers = row.layers;
        TDIBitmap b;
        std::string error;
        ASSERT_TRUE(RenderBitmapExport(*doc, options, b, error)) << error;
        EXPECT_EQ(b.Pixel(95, 40) != kWhite, row.solder);
        EXPECT_EQ(b.Pixel(15, 15) != kWhite, row.component);
        EXPECT_EQ(b.Pixel(25, 25), kWhite) << "the hole cuts out in the cut-out colour";
        if (row.solder) {
            // Current layer "solder": its colour at alpha 160 over white paper.
            const Argb c = doc->GetLayerList().Find("solder")->GetEffectiveColour();
            const double a = double(c >> 24) / 255.0;
            const int red = int((b.Pixel(95, 40) >> 16) & 0xFF);
            EXPECT_NEAR(red, ((c >> 16) & 0xFF) * a + 255 * (1 - a), 2);
        }
    }
}

TEST(BitmapExport, RefusesWhatCannotBeMade) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Row {
        const char* name;
        double ppi;
        double areaWidth;
        std::vector<std::string> layers;
        const char* reason;
    };
    const Row rows[] = {
        {"zero resolution", 0, 1000, {}, "positive number"},
        {"negative resolution", -72, 1000, {}, "positive number"},
        {"resolution not a number", nan, 1000, {}, "positive number"},
        {"infinite resolution", inf, 1000, {}, "positive number"},
        {"beyond 30000 pixels on a side", 1e6, 1000, {}, "more than 30000"},
        {"area too small for a pixel", 72, 1, {}, "empty"},
        {"unknown layer", 72, 1000, {"solder", "nonesuch"}, "nonesuch"},
    };
    TempDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TVemoDocument doc;
        doc.SetAreaSize(row.areaWidth, 750);
        TBitmapExportOptions options;
        options.ppi = row.ppi;
        options.layers = row.layers;
        TBitmapExportResult result;
        std::string error;
        const fs::path file = dir / "out.bmp";
        EXPECT_FALSE(ExportBitmap(doc, file.string(), options, result, error));
        EXPECT_NE(error.find(row.reason), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(file));
    }
}

TEST(BitmapExport, UnwritableFileIsReportedAndLeavesNothing) {
    TempDir dir;
    const fs::path existing = dir / "keep.bmp";
    { std::ofstream(existing) << "old"; }
    struct Row {
        const char* name;
        fs::path path;
    };
    const Row rows[] = {
        {"folder that does not exist", dir / "missing" / "out.bmp"},
        {"a folder's name", dir.path()},
    };
    const auto doc = Board();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TBitmapExportResult result;
        std::string error;
        EXPECT_FALSE(ExportBitmap(*doc, row.path.string(), TBitmapExportOptions(), result, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(result.bytes, 0u);
    }
    EXPECT_FALSE(fs::exists(dir / "missing"));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1u) << "a temporary file was left behind";
}

TEST(BitmapExport, BmpAndPngFilesHoldTheSamePicture) {
    TempDir dir;
    const auto doc = Board();
    TBitmapExportOptions options;
    options.ppi = 25.4;
    QImage images[2];
    const char* names[2] = {"board.bmp", "board.PNG"};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(names[i]);
        TBitmapExportResult result;
        std::string error;
        const fs::path file = dir / names[i];
        ASSERT_TRUE(ExportBitmap(*doc, file.string(), options, result, error)) << error;
        EXPECT_EQ(result.width, 100);
        EXPECT_EQ(result.height, 75);
        EXPECT_EQ(result.bytes, fs::file_size(file));
        EXPECT_FALSE(result.blank);
        images[i] = QImage(QString::fromStdString(file.string()));
        ASSERT_FALSE(images[i].isNull());
    }
    EXPECT_EQ(std::uint64_t(fs::file_size(dir / names[0])), 54u + 100u * 75u * 4u);
    ASSERT_EQ(images[0].size(), images[1].size());
    for (int y = 0; y < 75; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(images[0].pixel(x, y) & 0xFFFFFFu, images[1].pixel(x, y) & 0xFFFFFFu) << x << "," << y;
    EXPECT_NE(images[1].pixel(95, 40) & 0xFFFFFFu, kWhite);
}

// Other programs must print the files true to scale and keep films 1-bit.
TEST(BitmapExport, FilesCarryTheirResolutionAndDepth) {
    TempDir dir;
    const auto doc = Board();
    using Format = TBitmapExportOptions::Format;
    const struct {
        const char* name;
        Format format;
        bool mono;
        QImage::Format loaded;
    } cases[] = {
        {"colour.png", Format::FromName, false, QImage::Format_RGB32},
        {"film.png", Format::FromName, true, QImage::Format_Mono},
        {"film.bmp", Format::FromName, true, QImage::Format_RGB32},
        {"named.out", Format::Png, true, QImage::Format_Mono},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmapExportOptions options;
        options.ppi = 254;  // 10 000 pixels per metre
        options.monochrome = c.mono;
        options.format = c.format;
        TBitmapExportResult result;
        std::string error;
        const fs::path file = dir / c.name;
        ASSERT_TRUE(ExportBitmap(*doc, file.string(), options, result, error)) << error;
        const QImage image(QString::fromStdString(file.string()), c.format == Format::Png ? "PNG" : nullptr);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.format(), c.loaded);
        EXPECT_EQ(image.dotsPerMeterX(), 10000);
        EXPECT_EQ(image.dotsPerMeterY(), 10000);
        EXPECT_FALSE(result.blank);
    }
    // A layer with nothing on it gives a blank picture, which the caller can warn about.
    TBitmapExportOptions options;
    options.layers = {"other"};
    TBitmapExportResult result;
    std::string error;
    ASSERT_TRUE(ExportBitmap(*doc, (dir / "blank.png").string(), options, result, error)) << error;
    EXPECT_TRUE(result.blank);
}

}  // namespace
