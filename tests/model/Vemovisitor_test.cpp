#include "model/Vemoobjectvisitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "model/Vemogroup.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"

namespace {

std::unique_ptr<TVemoRect> Box(const TVemoLayerPtr& layer, PointF a, PointF b) {
    auto rect = std::make_unique<TVemoRect>();
    rect->SetLayer(layer);
    rect->SetSurface(TVemoSurface(1.0f, true, false));
    rect->SetCorners(a, b);
    rect->Deselect();
    return rect;
}

std::unique_ptr<TVemoPath> Track(const TVemoLayerPtr& layer, PointF a, PointF b) {
    auto path = std::make_unique<TVemoPath>();
    EXPECT_TRUE(path->SetData({a, a, b, b, b, a}, std::vector<unsigned char>(6, 0), false));
    path->SetLayer(layer);
    path->SetSurface(TVemoSurface(4.0f, false, false));
    return path;
}

// A document-like tree: layers "top" (0), "mid" (1), "bottom" (2); the root
// holds a box on top, a group of a box on bottom and a track on bottom, and a
// track on mid.
struct TVisitorFixture : testing::Test {
    TVisitorFixture() {
        for (const char* name : {"bottom", "mid", "top"})
            layers.Insert(std::make_shared<TVemoLayer>(0xFF808080u, name));
        top = layers.Find("top"), mid = layers.Find("mid"), bottom = layers.Find("bottom");
        topBox = root.AddChild(Box(top, {0, 0}, {10, 10}));
        auto g = std::make_unique<TVemoGroup>();
        groupBox = g->AddChild(Box(bottom, {20, 0}, {30, 10}));
        groupTrack = g->AddChild(Track(bottom, {20, 20}, {40, 20}));
        group = static_cast<TVemoGroup*>(root.AddChild(std::move(g)));
        midTrack = root.AddChild(Track(mid, {0, 50}, {50, 50}));
    }

    TVemoLayerList layers;
    TVemoLayerPtr top, mid, bottom;
    TVemoPart root;
    TVemoObject* topBox = nullptr;
    TVemoObject* groupBox = nullptr;
    TVemoObject* groupTrack = nullptr;
    TVemoGroup* group = nullptr;
    TVemoObject* midTrack = nullptr;
};

using TVemoVisitorTest = TVisitorFixture;

using Objects = std::vector<TVemoObject*>;

TEST_F(TVemoVisitorTest, LayerVisitorSkipsGroupsShallowAndFindsTheirMembersDeep) {
    ASSERT_EQ(bottom->GetIndex(), 2);
    TLayerVisitor shallow(2);
    root.Accept(shallow);
    EXPECT_EQ(shallow.Count(), 0) << "a group has no layer";

    TLayerVisitor deep(2);
    root.AcceptDeep(deep);
    EXPECT_EQ(deep.Objects(), (Objects{groupBox, groupTrack}));
    EXPECT_EQ(deep.At(1), groupTrack);
    EXPECT_EQ(deep.At(2), nullptr);
    EXPECT_EQ(deep.At(-1), nullptr);

    deep.Clear();
    EXPECT_EQ(deep.Count(), 0);
    root.AcceptDeep(deep);
    EXPECT_EQ(deep.Count(), 2) << "a cleared visitor can be used again";
}

TEST_F(TVemoVisitorTest, SelectionVisitorSeesGroupsAsUnitsShallowAndMembersDeep) {
    group->Select();
    midTrack->Select();

    TSelObjectVisitor shallow;
    root.Accept(shallow);
    EXPECT_EQ(shallow.Objects(), (Objects{group, midTrack}));

    TSelObjectVisitor deep;
    root.AcceptDeep(deep);
    EXPECT_EQ(deep.Objects(), (Objects{groupBox, groupTrack, midTrack}));

    RectF bounds;
    ASSERT_TRUE(shallow.GetSelectionBounds(bounds));
    RectF g, t;
    group->GetBounds(g);
    midTrack->GetBounds(t);
    EXPECT_FLOAT_EQ(bounds.Left(), std::min(g.Left(), t.Left()));
    EXPECT_FLOAT_EQ(bounds.Bottom(), t.Bottom());
    EXPECT_FLOAT_EQ(bounds.Right(), std::max(g.Right(), t.Right()));

    root.Deselect();
    EXPECT_FALSE(shallow.GetSelectionBounds(bounds)) << "objects deselected since the visit do not count";
    EXPECT_EQ(bounds, RectF());
}

TEST_F(TVemoVisitorTest, ForEachHandsTheCollectionToAnotherVisitor) {
    TBasicVisitor units;
    root.Accept(units);
    EXPECT_EQ(units.Objects(), (Objects{topBox, group, midTrack}));

    TLayerVisitor onBottom(2);
    units.ForEachDeep(onBottom);
    EXPECT_EQ(onBottom.Objects(), (Objects{groupBox, groupTrack}));
    TLayerVisitor onBottomShallow(2);
    units.ForEachShallow(onBottomShallow);
    EXPECT_EQ(onBottomShallow.Count(), 0);

    // Handing a visitor its own collection visits only what was there at the start.
    units.ForEachDeep(units);
    EXPECT_EQ(units.Objects().size(), 3u + 4u);
}

TEST_F(TVemoVisitorTest, VisiblePointsSkipLockedLayersButNotHiddenOnes) {
    const PointF onCorner{0, 0};      // a handle of the top box
    const PointF onTrackEnd{20, 20};  // an anchor of the group's track

    TVisiblePointsVisitor all(onCorner, 3);
    root.AcceptDeep(all);
    ASSERT_EQ(all.Objects(), (Objects{topBox}));
    ASSERT_EQ(all.Results().size(), 1u);
    EXPECT_NE(all.Results()[0], 0);

    top->SetLocked(true);
    TVisiblePointsVisitor locked(onCorner, 3);
    root.AcceptDeep(locked);
    EXPECT_EQ(locked.Count(), 0);

    bottom->SetVisible(false);
    TVisiblePointsVisitor hidden(onTrackEnd, 3);
    root.AcceptDeep(hidden);
    EXPECT_EQ(hidden.Objects(), (Objects{groupTrack}));
    EXPECT_EQ(hidden.Results().size(), 1u);
    hidden.Clear();
    EXPECT_TRUE(hidden.Results().empty());
}

TEST_F(TVemoVisitorTest, RegionVisitorKeepsObjectsMeetingTheRectangle) {
    TRegionVisitor region(RectF(5, 5, 20, 2), nullptr);
    root.Accept(region);
    EXPECT_EQ(region.Objects(), (Objects{topBox, group}));
}

TEST_F(TVemoVisitorTest, TypedVisitorsKeepOnlyTheirClass) {
    TLayerPathVisitor paths(2);
    root.AcceptDeep(paths);
    ASSERT_EQ(paths.Paths().size(), 1u);
    EXPECT_EQ(paths.Paths()[0], groupTrack) << "the box on the same layer is not a path";

    auto text = std::make_unique<TVemoString>();
    text->SetLayer(top);
    text->SetFont(TVemoFont(std::string("DejaVu Sans"), 50.0f, 0));
    text->SetText(u"I I");
    const auto& c = text->GetCorners();
    const PointF inside{(c[0].x + c[2].x) / 2, (c[0].y + c[2].y) / 2};
    TVemoObject* placed = root.AddChild(std::move(text));

    TPointStrVisitor texts(inside);
    root.AcceptDeep(texts);
    ASSERT_EQ(texts.Strings().size(), 1u);
    EXPECT_EQ(texts.Strings()[0], placed);
    TPointStrVisitor away({-500, -500});
    root.AcceptDeep(away);
    EXPECT_TRUE(away.Strings().empty());

    TLayerVisitor again(2);
    paths.ForEachDeep(again);
    EXPECT_EQ(again.Objects(), (Objects{groupTrack}));
}

TEST_F(TVemoVisitorTest, SwapLayerMovesSelectedObjectsAndCreatesTheTargetOnce) {
    groupBox->Select();
    groupTrack->Select();
    auto unselected = Box(bottom, {60, 0}, {70, 10});
    TVemoObject* stays = root.AddChild(std::move(unselected));
    midTrack->Select();  // a layer not in the map

    TSwapLayerVisitor swap(layers, {{"bottom", "extra"}});
    root.AcceptDeep(swap);
    EXPECT_TRUE(swap.LayersCreated());
    EXPECT_TRUE(swap.ObjectsChanged());
    const TVemoLayerPtr extra = layers.Find("extra");
    ASSERT_TRUE(extra);
    EXPECT_EQ(layers.Count(), 4);
    EXPECT_EQ(extra->GetOpaqueColour(), 0xFF0000FFu);
    EXPECT_EQ(groupBox->GetLayer(), extra);
    EXPECT_EQ(groupTrack->GetLayer(), extra);
    EXPECT_EQ(stays->GetLayer(), bottom);
    EXPECT_EQ(midTrack->GetLayer(), mid);
    EXPECT_EQ(swap.Objects(), (Objects{groupBox, groupTrack}));

    // Once there, the target is reused.
    swap.Clear();
    EXPECT_FALSE(swap.ObjectsChanged());
    stays->Select();
    root.AcceptDeep(swap);
    EXPECT_FALSE(swap.LayersCreated());
    EXPECT_TRUE(swap.ObjectsChanged());
    EXPECT_EQ(stays->GetLayer(), extra);
    EXPECT_EQ(layers.Count(), 4);
}

TEST_F(TVemoVisitorTest, LayerCollectorCopiesOnlyMissingLayers) {
    TVemoLayerList target;
    target.Insert(std::make_shared<TVemoLayer>(0xFF000000u, "other"));
    target.Insert(std::make_shared<TVemoLayer>(0xFF000000u, "mid"));
    target.SetCurrentByName("other");

    TVemoPart part;
    part.AddChild(Track(top, {0, 0}, {10, 0}));
    part.AddChild(Track(mid, {0, 10}, {10, 10}));
    part.AddChild(Box(top, {0, 20}, {10, 30}));

    TLayerCollector collector(target);
    part.AcceptDeep(collector);
    EXPECT_EQ(collector.GetCount(), 1);
    EXPECT_EQ(collector.Count(), 0) << "it keeps no objects";
    ASSERT_EQ(target.Count(), 3);
    const TVemoLayerPtr copy = target.Find("top");
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, top) << "a copy, not the source's layer";
    EXPECT_EQ(copy->GetIndex(), 1) << "inserted before the current layer";
    EXPECT_EQ(target.Current(), copy);

    part.AcceptDeep(collector);
    EXPECT_EQ(collector.GetCount(), 1);
    EXPECT_EQ(target.Count(), 3);
}

}  // namespace
