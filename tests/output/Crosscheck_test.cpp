// Two independent paths to the same artwork must agree: our monochrome bitmap
// export of a layer, and gerbv's rendering of our Gerber file of that layer.
// Pixels may differ only along edges (pen rounding, curve flattening, the two
// rasterisers' edge rules), never inside or away from a shape.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "gerber/Gerberexport.h"
#include "output/Exportbitmap.h"
#include "render/Dibwrap.h"
#include "tests/gerber/Gerbertest.h"
#include "tests/output/Inkcompare.h"

namespace {

namespace fs = std::filesystem;
using inkcompare::Compare;
using inkcompare::Comparison;

constexpr int kPpi = 1000;

// Curves on a second layer: a stroked and filled circle, a thick round-ended
// Bezier track and an unfilled frame.
void AddCurves(TVemoDocument& doc) {
    using namespace gerbertest;
    const TVemoLayerPtr layer = doc.GetLayerList().Find("component");
    TVemoPart& root = doc.GetRoot();
    root.AddChild(Circle(layer, {300, 60}, 30, Surface(6, true)));
    auto track = std::make_unique<TVemoPath>();
    track->SetLayer(layer);
    track->SetSurface(Surface(10, false));
    const std::vector<PointF> points = {{20, 200}, {20, 300}, {140, 180}, {140, 280}, {140, 280}, {20, 200}};
    EXPECT_TRUE(track->SetData(points, std::vector<unsigned char>(points.size(), 0), false));
    track->Rebuild();
    root.AddChild(std::move(track));
    root.AddChild(Rect(layer, {320, 200}, {390, 290}, Surface(4, false)));
}

TEST(Crosscheck, MonochromeBitmapAgreesWithGerbvOnEveryOutputLayer) {
    const fs::path dir = fs::temp_directory_path() / ("zelko-crosscheck-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);

    TVemoDocument doc;
    gerbertest::BuildFixture(doc);
    AddCurves(doc);
    TGerberExportOptions gerber;
    gerber.folder = dir.string();
    // Filled shapes are outlined with this pen on film; a fine pen keeps that
    // outline within a pixel of the shape the bitmap fills.
    gerber.penWidth = 0.01;
    gerber.textPenWidth = 0.01;
    const TGerberExportResult written = ExportGerber(doc, gerber);
    ASSERT_TRUE(written.Succeeded()) << written.error;
    ASSERT_FALSE(written.layers.empty());

    const double areaHeightMm = doc.GetAreaHeight() / 10.0;
    int compared = 0;
    for (const TGerberLayerResult& layer : written.layers) {
        SCOPED_TRACE(layer.layer);
        ASSERT_TRUE(layer.written) << layer.error;
        // Film has no cut-out colour; an empty file is no test (and gerbv takes
        // a file without apertures for an older format).
        if (doc.GetLayerList().Find(layer.layer)->IsCutOut() || layer.items == 0) continue;
        TBitmapExportOptions options;
        options.ppi = kPpi;
        options.monochrome = true;
        options.layers = {layer.layer};
        TDIBitmap ours;
        std::string error;
        ASSERT_TRUE(RenderBitmapExport(doc, options, ours, error)) << error;
        const int w = ours.Width(), h = ours.Height();
        const QImage theirs = inkcompare::RenderWithGerbv(layer.path, areaHeightMm, w, h, kPpi);
        ASSERT_FALSE(theirs.isNull());
        ASSERT_EQ(theirs.width(), w);
        ASSERT_EQ(theirs.height(), h);

        std::vector<bool> inkOurs(std::size_t(w) * std::size_t(h)), inkTheirs(inkOurs.size());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                inkOurs[std::size_t(y) * std::size_t(w) + std::size_t(x)] = (ours.Pixel(x, y) & 0xFF) < 128;
                inkTheirs[std::size_t(y) * std::size_t(w) + std::size_t(x)] = qGray(theirs.pixel(x, y)) < 128;
            }
        const Comparison c = Compare(inkOurs, inkTheirs, w, h);
        const double agree = 100.0 * double(c.pixels - c.differ) / double(c.pixels);
        std::printf(
            "crosscheck %-10s %d x %d px: ink %lld (bitmap) / %lld (gerbv), %.4f %% agree, %lld differ, "
            "%lld more than %d px from an edge\n",
            layer.layer.c_str(), w, h, c.inkOurs, c.inkGerbv, agree, c.differ, c.farFromEdges,
            inkcompare::kEdgeReach);
        EXPECT_GE(agree, 99.0);
        EXPECT_EQ(c.farFromEdges, 0);
        if (layer.layer == "solder" || layer.layer == "component") {
            EXPECT_GT(c.inkOurs, c.pixels / 50) << "the fixture's artwork is missing";
        }
        ++compared;
    }
    EXPECT_EQ(compared, 3);  // solder, component and the far layer
    fs::remove_all(dir);
}

}  // namespace
