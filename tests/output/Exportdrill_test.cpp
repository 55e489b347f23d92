// The drill file: which objects are holes, the Excellon text, and gerbv's
// reading of it against our Gerber file of the same layer.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <string>

#include "archive/Safefile.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "output/Exportbitmap.h"
#include "output/Exportdrill.h"
#include "render/Dibwrap.h"
#include "tests/gerber/Gerbertest.h"
#include "tests/output/Inkcompare.h"

namespace {

namespace fs = std::filesystem;
using namespace gerbertest;

// A 40 x 30 mm board with holes drawn every way users draw them, and (when
// asked for) two objects that no drill can make.
void BuildBoard(TVemoDocument& doc, bool undrillable = true) {
    doc.SetAreaOrigin(0, 0);
    doc.SetAreaSize(400, 300);
    const TVemoLayerPtr hole = doc.GetLayerList().Find("hole");
    TVemoPart& root = doc.GetRoot();
    root.AddChild(Circle(hole, {50, 50}, 5, Surface(0, true)));                       // 1.0 mm
    root.AddChild(Polyline(hole, {{100, 80}, {100, 80}}, false, Surface(8, false)));  // dot, 0.8 mm
    auto scaled = Circle(hole, {0, 0}, 2.5f, Surface(0, true));  // 0.5 mm, placed at twice its size
    Matrix m;
    m.Rotate(30);
    m.Scale(2, 2);
    m.Translate(200, 150);
    scaled->Transform(m);
    root.AddChild(std::move(scaled));
    auto group = std::make_unique<TVemoGroup>();
    group->AddChild(Circle(hole, {300, 250}, 16, Surface(0, true)));  // 3.2 mm, inside a part
    group->AddChild(Polyline(hole, {{350, 60}, {350, 60}}, false, Surface(8, false)));
    root.AddChild(std::move(group));
    if (undrillable) {
        root.AddChild(Rect(hole, {10, 200}, {40, 210}, Surface(0, true)));  // a slot
        root.AddChild(Circle(hole, {150, 250}, 5, Surface(2, false)));      // a ring
    }
    auto hidden = Circle(hole, {250, 40}, 5, Surface(0, true));
    hidden->ClearFlags(TVemoObject::FlagVisible);
    root.AddChild(std::move(hidden));  // hidden: left out
    root.AddChild(Circle(doc.GetLayerList().Find("solder"), {50, 50}, 10, Surface(0, true)));
    root.Rebuild();
}

TEST(Drill, HolesToolsAndRefusals) {
    TVemoDocument doc;
    BuildBoard(doc);
    const TVemoLayerPtr layer = DrillLayer(doc);
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->GetName(), "hole");
    const TDrillFile drill = BuildDrill(doc, layer, "test board");
    EXPECT_EQ(drill.holes, 5);
    ASSERT_EQ(drill.tools.size(), 3u);
    EXPECT_DOUBLE_EQ(drill.tools[0], 0.8);
    EXPECT_DOUBLE_EQ(drill.tools[1], 1.0);
    EXPECT_DOUBLE_EQ(drill.tools[2], 3.2);
    EXPECT_EQ(drill.holesPerTool, (std::vector<int>{2, 2, 1}));
    ASSERT_EQ(drill.refused.size(), 2u);
    EXPECT_NE(drill.refused[0].find(" at (2.500, 9.500) mm: not a round hole"), std::string::npos)
        << drill.refused[0];
    EXPECT_NE(drill.refused[1].find("not a filled round circle"), std::string::npos) << drill.refused[1];

    const std::string& text = drill.bytes;
    EXPECT_EQ(text.rfind("M48\n; test board\n", 0), 0u) << text;
    for (const char* line : {"\nMETRIC,TZ\nFMAT,2\nT1C0.800\nT2C1.000\nT3C3.200\n%\n",
                             "\nT2\nX5.000Y25.000\n", "\nX20.000Y15.000\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    EXPECT_EQ(text.substr(text.size() - 4), "M30\n");

    // The layer with the hole flag wins over the name; an unknown name gives none.
    const TVemoLayerPtr drills = std::make_shared<TVemoLayer>(0xFF000000u, "drills");
    drills->SetHole(true);
    doc.GetLayerList().Insert(drills);
    EXPECT_EQ(DrillLayer(doc), drills);
    EXPECT_FALSE(DrillLayer(doc, "nosuch"));
}

// gerbv's reading of the drill file against our own picture of the layer:
// every hole where a circle or dot is drawn, of its size, and nothing else.
TEST(Drill, GerbvPutsTheHolesOnTheLayersCircles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TVemoDocument doc;
    BuildBoard(doc, false);  // only what a drill can make
    const TVemoLayerPtr hole = doc.GetLayerList().Find("hole");
    hole->SetCutOut(false);  // a film shows a cut-out layer as paper
    const fs::path drl = fs::path(dir.path().toStdString()) / "board.drl";
    const TDrillFile drill = BuildDrill(doc, hole, "");
    ASSERT_TRUE(drill.refused.empty());
    std::string error;
    ASSERT_TRUE(WriteFileSafely(drl.string(), drill.bytes, error)) << error;

    constexpr int kPpi = 1000;
    TBitmapExportOptions options;
    options.ppi = kPpi;
    options.monochrome = true;
    options.layers = {"hole"};
    TDIBitmap ours;
    ASSERT_TRUE(RenderBitmapExport(doc, options, ours, error)) << error;
    const int w = ours.Width(), h = ours.Height();
    const QImage holes = inkcompare::RenderWithGerbv(drl, 30.0, w, h, kPpi);
    ASSERT_FALSE(holes.isNull());
    ASSERT_EQ(holes.width(), w);
    ASSERT_EQ(holes.height(), h);
    const inkcompare::Comparison c =
        inkcompare::Compare(inkcompare::InkOf(ours.Image()), inkcompare::InkOf(holes), w, h);
    std::printf("drill: %.3f %% of %lld pixels agree, ink %lld (ours) / %lld (gerbv), %lld far from edges\n",
                c.Agree(), c.pixels, c.inkOurs, c.inkGerbv, c.farFromEdges);
    EXPECT_GT(c.inkOurs, 1000);
    EXPECT_GE(c.Agree(), 99.9);
    EXPECT_EQ(c.farFromEdges, 0);
    if (HasFailure()) {
        dir.setAutoRemove(false);
        ADD_FAILURE() << "pictures kept in " << dir.path().toStdString();
    }
}

}  // namespace
