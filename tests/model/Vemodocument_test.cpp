#include "model/Vemodocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "model/Vemogroup.h"
#include "model/Vemorectangle.h"

namespace {

TEST(TVemoDocument, DefaultDocumentHasTheNineStandardLayers) {
    const TVemoDocument doc;
    struct Row {
        const char* name;
        Argb opaque;
        std::int32_t flags;
    };
    const Row expected[] = {
        {"hole", 0xFFFFFFFFu, 0x012 | TVemoLayer::FlagCutOut},
        {"solder", 0xFFEB2828u, 0x012 | TVemoLayer::FlagCurrent},
        {"component", 0xFF008000u, 0x012},
        {"place_sol", 0xFF465CAAu, 0x012},
        {"place_cmp", 0xFFFFB900u, 0x012},
        {"stop_sol", 0xFFFF80C0u, 0x012},
        {"stop_cmp", 0xFFA6A6FFu, 0x012},
        {"dimension", 0xFF000000u, 0x012},
        {"other", 0xFF808080u, 0x012},
    };
    const TVemoLayerList& layers = doc.GetLayerList();
    ASSERT_EQ(layers.Count(), 9);
    for (int i = 0; i < 9; ++i) {
        const Row& row = expected[i];
        SCOPED_TRACE(row.name);
        const TVemoLayerPtr layer = layers.At(i);
        EXPECT_EQ(layer->GetName(), row.name);
        EXPECT_EQ(layer->GetIndex(), i);
        EXPECT_EQ(layer->GetOpaqueColour(), row.opaque);
        EXPECT_EQ(layer->GetFlags(), row.flags);
    }
    EXPECT_EQ(layers.Current()->GetName(), "solder");
    EXPECT_EQ(doc.GetRoot().GetName(), "Part");
    EXPECT_EQ(doc.GetRoot().GetChildCount(), 0);
    EXPECT_EQ(doc.GetRoot().GetParent(), nullptr);
}

TEST(TVemoDocumentInfo, DefaultsAndViewFlags) {
    TVemoDocumentInfo info;
    EXPECT_EQ(info.GetViewFlags(), 3);
    EXPECT_EQ(info.GetZoom(), 1.0);
    EXPECT_EQ(info.GetGrid(), 12.7);
    EXPECT_EQ(info.GetSmoothing(), 4);
    EXPECT_EQ(info.GetAreaRect(), RectF(0, 0, 1000, 750));
    EXPECT_EQ(info.GetViewExtentX(), 640.0);
    EXPECT_TRUE(info.GetFileName().empty());

    info.SetViewFlags(TVemoDocumentInfo::ViewFixedAspect);
    info.ClearViewFlags(TVemoDocumentInfo::ViewShowGrid);
    EXPECT_EQ(info.GetViewFlags(), 0x12);
    EXPECT_TRUE(info.TestViewFlags(TVemoDocumentInfo::ViewSnapToGrid | TVemoDocumentInfo::ViewShowGrid));
    EXPECT_FALSE(info.TestViewFlags(TVemoDocumentInfo::ViewShowGrid));

    info.SetAreaOrigin(-50.25, 10);
    info.SetAreaSize(2000, 1500.5);
    EXPECT_EQ(info.GetAreaRect(), RectF(-50.25f, 10, 2000, 1500.5f));
    EXPECT_EQ(info.GetAreaWidth(), 2000.0);
}

TEST(TVemoDocumentInfo, ZoomAndPanStayWithinTheirLimits) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    TVemoDocumentInfo info;
    info.Zoom(100);
    EXPECT_EQ(info.GetZoom(), 32.0);
    EXPECT_EQ(info.GetViewExtentX(), 20.0);
    EXPECT_EQ(info.GetViewExtentY(), 15.0);
    info.Zoom(1e-6);
    EXPECT_EQ(info.GetZoom(), 0.0625);
    for (const double bad : {0.0, -2.0, inf, nan}) {
        info.Zoom(bad);
        EXPECT_EQ(info.GetZoom(), 0.0625) << bad;
    }

    info.Pan(20000, -20000);
    EXPECT_EQ(info.GetPanX(), 10000.0);
    EXPECT_EQ(info.GetPanY(), -10000.0);
    info.Pan(nan, 5);
    EXPECT_EQ(info.GetPanY(), -10000.0);
    info.Pan(-500, 500);
    EXPECT_EQ(info.GetPanX(), 9500.0);
    EXPECT_EQ(info.GetPanY(), -9500.0);
}

TEST(TVemoDocumentInfo, SnapRoundsToTheNearestGridCrossing) {
    struct Row {
        float in, out;
    };
    const Row rows[] = {{19.0f, 12.7f},   {19.1f, 25.4f}, {0.0f, 0.0f},
                        {-19.1f, -25.4f}, {-6.0f, 0.0f},  {127.0f, 127.0f}};
    TVemoDocumentInfo info;
    for (const Row& row : rows) {
        PointF p{row.in, row.in};
        info.Snap(p);
        EXPECT_NEAR(p.x, row.out, 1e-4) << row.in;
        EXPECT_NEAR(p.y, row.out, 1e-4) << row.in;
    }
    EXPECT_FALSE(info.SetGrid(0));
    EXPECT_FALSE(info.SetGrid(-1));
    EXPECT_EQ(info.GetGrid(), 12.7);
    EXPECT_TRUE(info.SetGrid(10));
    PointF p{14.9f, 15.1f};
    info.Snap(p);
    EXPECT_EQ(p, PointF(10, 20));
}

TEST(TVemoDocumentInfo, ViewMatrixMapsDocumentPointsToWindowPixels) {
    TVemoDocumentInfo info;
    info.SetWindowSize(800, 600);
    info.Pan(10, -20);
    info.Zoom(2);
    // (p + pan) * zoom + window centre.
    EXPECT_EQ(info.GetViewMatrix().Map({5, 5}), PointF(430, 270));
    EXPECT_EQ(info.GetViewExtentX(), 400.0);

    info.ZoomAt(2, {100, 50});
    EXPECT_EQ(info.GetZoom(), 4.0);
    EXPECT_EQ(info.GetViewMatrix().Map({100, 50}), PointF(400, 300)) << "the point comes to the centre";
    EXPECT_EQ(info.GetViewMatrix().Map({101, 50}), PointF(404, 300));

    info.SetWindowSize(-5, 100);
    EXPECT_EQ(info.GetWindowWidth(), 0);
    EXPECT_EQ(info.GetViewMatrix().Map({100, 50}), PointF(0, 50));
}

// A library part offered by the library window: objects on "solder" and on a
// layer the document lacks.
struct TLibraryFixture : testing::Test {
    TLibraryFixture() {
        auto solder = std::make_shared<TVemoLayer>(0xFFFF0000u, "solder");
        auto silk = std::make_shared<TVemoLayer>(0xFF00FFFFu, "silk_extra");
        offered.AddChild(Rect(solder, {0, 0}, {10, 10}));
        offered.AddChild(Rect(silk, {20, 0}, {30, 10}));
    }
    static std::unique_ptr<TVemoRect> Rect(const TVemoLayerPtr& layer, PointF a, PointF b) {
        auto rect = std::make_unique<TVemoRect>();
        rect->SetLayer(layer);
        rect->SetSurface(TVemoSurface(1.0f, true, false));
        rect->SetCorners(a, b);
        rect->Deselect();
        return rect;
    }

    TVemoDocument doc;
    TVemoGroup offered;
};

using TLibraryPlacing = TLibraryFixture;

TEST_F(TLibraryPlacing, BringsMissingLayersOnceAndBindsToTheDocumentsLayers) {
    TVemoLayerList& layers = doc.GetLayerList();
    TVemoGroup* placed = PlaceLibraryPart(offered, doc, {100, 200});
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->GetParent(), &doc.GetRoot());
    ASSERT_EQ(doc.GetRoot().GetChildCount(), 1);

    ASSERT_EQ(layers.Count(), 10);
    const TVemoLayerPtr silk = layers.Find("silk_extra");
    ASSERT_TRUE(silk);
    EXPECT_EQ(silk->GetIndex(), 1) << "before the current layer, solder";
    EXPECT_EQ(layers.Current(), silk);
    EXPECT_EQ(placed->GetChild(0)->GetLayer(), layers.Find("solder"));
    EXPECT_EQ(placed->GetChild(1)->GetLayer(), silk);
    // The document's colour, not the library's.
    EXPECT_EQ(placed->GetChild(0)->GetLayer()->GetOpaqueColour(), 0xFFEB2828u);

    RectF b;
    placed->GetChild(0)->GetBounds(b);
    EXPECT_FLOAT_EQ(b.Left(), 99.5f);
    EXPECT_FLOAT_EQ(b.Top(), 199.5f);
    offered.GetChild(0)->GetBounds(b);
    EXPECT_FLOAT_EQ(b.Left(), -0.5f) << "the offered part stays where it was";
    EXPECT_EQ(offered.GetChild(1)->GetLayer()->GetName(), "silk_extra");
    EXPECT_NE(offered.GetChild(1)->GetLayer(), silk);

    TVemoGroup* again = PlaceLibraryPart(offered, doc.GetRoot(), layers, {0, 0});
    EXPECT_NE(again, placed);
    EXPECT_EQ(layers.Count(), 10) << "placing again inserts nothing";
    EXPECT_EQ(again->GetChild(1)->GetLayer(), silk);
    EXPECT_EQ(doc.GetRoot().GetChildCount(), 2);
}

}  // namespace
