#include "model/Vemogroup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/Vemographics.h"
#include "model/Vemolayer.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"

namespace {

TVemoLayerPtr MakeLayer(const std::string& name, int index) {
    auto layer = std::make_shared<TVemoLayer>(0xFF00A000u, name);
    layer->SetIndex(index);
    return layer;
}

// A filled rectangle from corner a to corner b, not selected.
std::unique_ptr<TVemoRect> FilledRect(const TVemoLayerPtr& layer, PointF a, PointF b, bool cutOut = false) {
    auto rect = std::make_unique<TVemoRect>();
    rect->SetLayer(layer);
    rect->SetSurface(TVemoSurface(1.0f, true, cutOut));
    rect->SetCorners(a, b);
    rect->Deselect();
    return rect;
}

// A round pad: a two-node path of zero length stroked with a round cap.
std::unique_ptr<TVemoPath> RoundPad(const TVemoLayerPtr& layer, PointF centre, float diameter) {
    auto pad = std::make_unique<TVemoPath>();
    EXPECT_TRUE(pad->SetData(std::vector<PointF>(6, centre), std::vector<unsigned char>(6, 0), false));
    pad->SetLayer(layer);
    pad->SetSurface(TVemoSurface(diameter, false, false));
    return pad;
}

RectF BoundsOf(const TVemoObject& object) {
    RectF b;
    object.GetBounds(b);
    return b;
}

// Records the bounds of every filled path, in painting order.
class TRecordingGraphics : public TVemoGraphics {
public:
    void FillPath(const GraphicsPath& path, Argb) override { fills.push_back(path.GetBounds()); }
    void StrokePath(const GraphicsPath&, const Pen&) override {}
    void FillRect(RectF, Argb) override {}
    void StrokeRect(RectF, const Pen&) override {}
    void FillEllipse(RectF, Argb) override {}
    void StrokeEllipse(RectF, const Pen&) override {}
    void DrawLine(PointF, PointF, const Pen&) override {}

    std::vector<RectF> fills;
};

// Answers the handle queries as scripted and records which were asked.
class TScriptedObject : public TVemoGroup {
public:
    TScriptedObject(bool editing, int hitHandle, int pick) : hitHandle_(hitHandle), pick_(pick) {
        if (editing) SetFlags(FlagEditingPoints);
    }
    int HitHandle(PointF, float) const override { return hitHandle_; }
    int PickHandle(PointF, float) override {
        ++picks;
        return pick_;
    }
    int picks = 0;

private:
    int hitHandle_;
    int pick_;
};

struct TGroupFixture : testing::Test {
    TVemoLayerPtr copper = MakeLayer("copper", 0);
    TVemoPart root;
};

using TVemoGroupTest = TGroupFixture;

TEST_F(TVemoGroupTest, HitOnAnUnlockedMemberSelectsTheWholeGroup) {
    struct Row {
        const char* name;
        PointF click;
        bool selects;
    };
    const Row rows[] = {
        {"unlocked member", {45, 5}, true},
        {"locked member only", {5, 5}, false},
        {"outside", {25, 5}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TVemoGroup group;
        TVemoObject* locked = group.AddChild(FilledRect(copper, {0, 0}, {10, 10}));
        locked->SetFlags(TVemoObject::FlagLocked);
        TVemoObject* free = group.AddChild(FilledRect(copper, {40, 0}, {50, 10}));

        EXPECT_EQ(group.SelectAt(row.click), row.selects);
        EXPECT_EQ(group.IsSelected(), row.selects);
        EXPECT_EQ(locked->IsSelected(), row.selects);
        EXPECT_EQ(free->IsSelected(), row.selects);

        group.Deselect();
        const bool inRect = group.SelectInRect(RectF(row.click.x - 1, row.click.y - 1, 2, 2), nullptr);
        EXPECT_EQ(inRect, row.selects);
        EXPECT_EQ(locked->IsSelected(), row.selects);
    }
}

TEST_F(TVemoGroupTest, PartSelectsThroughToEachHitChild) {
    TVemoObject* a = root.AddChild(FilledRect(copper, {0, 0}, {20, 20}));
    TVemoObject* b = root.AddChild(FilledRect(copper, {10, 10}, {30, 30}));
    TVemoObject* locked = root.AddChild(FilledRect(copper, {0, 0}, {30, 30}));
    locked->SetFlags(TVemoObject::FlagLocked);

    EXPECT_TRUE(root.SelectAt({15, 15}));  // the common area
    EXPECT_TRUE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    EXPECT_FALSE(locked->IsSelected());
    EXPECT_FALSE(root.IsSelected()) << "a part is never selected itself";

    root.Deselect();
    EXPECT_TRUE(root.SelectAt({5, 5}));
    EXPECT_TRUE(a->IsSelected());
    EXPECT_FALSE(b->IsSelected());

    root.Deselect();
    root.Select();
    EXPECT_TRUE(a->IsSelected() && b->IsSelected());
    EXPECT_FALSE(locked->IsSelected());
    EXPECT_FALSE(root.IsSelected());
}

TEST_F(TVemoGroupTest, CutOutChildrenArePaintedLast) {
    // A ordinary, B cut-out, C ordinary: painted C, A, B.
    TVemoGroup group;
    group.AddChild(FilledRect(copper, {0, 0}, {10, 10}));
    group.AddChild(FilledRect(copper, {20, 0}, {30, 10}, true));
    group.AddChild(FilledRect(copper, {40, 0}, {50, 10}));
    const float expectedLeft[] = {40, 0, 20};

    auto paintOrder = [&](const TVemoObject& container) {
        TRecordingGraphics g;
        container.DrawFill(&g, copper->GetIndex());
        std::vector<float> lefts;
        for (const RectF& r : g.fills) lefts.push_back(std::round(r.x + r.width / 2) - 5);
        return lefts;
    };
    EXPECT_EQ(paintOrder(group), std::vector<float>(std::begin(expectedLeft), std::end(expectedLeft)));

    const std::unique_ptr<TVemoGroup> copy = CloneOf(group);
    EXPECT_EQ(paintOrder(*copy), paintOrder(group)) << "a copy paints in the same order";
    group.Rebuild();
    EXPECT_EQ(paintOrder(group), std::vector<float>(std::begin(expectedLeft), std::end(expectedLeft)));

    group.ClearFlags(TVemoObject::FlagVisible);
    EXPECT_TRUE(paintOrder(group).empty()) << "a hidden group paints nothing";
}

TEST_F(TVemoGroupTest, EmptiedGroupsRemoveThemselvesUpToThePart) {
    TVemoObject* keep = root.AddChild(FilledRect(copper, {100, 100}, {110, 110}));
    auto outer = std::make_unique<TVemoGroup>();
    auto inner = std::make_unique<TVemoGroup>();
    TVemoObject* last = inner->AddChild(FilledRect(copper, {0, 0}, {10, 10}));
    outer->AddChild(std::move(inner));
    root.AddChild(std::move(outer));
    ASSERT_EQ(root.GetChildCount(), 2);

    // The inner group empties, removes itself from the outer one, which empties
    // in turn: every step runs after its caller's object is gone.
    last->RemoveFromParent();
    ASSERT_EQ(root.GetChildCount(), 1);
    EXPECT_EQ(root.GetChild(0), keep);
    EXPECT_EQ(root.GetDrawOrder().size(), 1u);

    // A part keeps existing when its last child goes.
    keep->RemoveFromParent();
    EXPECT_EQ(root.GetChildCount(), 0);
    EXPECT_TRUE(root.GetDrawOrder().empty());
    EXPECT_EQ(BoundsOf(root), RectF());
}

TEST_F(TVemoGroupTest, RemovingOneOfSeveralChildrenKeepsTheGroup) {
    auto group = std::make_unique<TVemoGroup>();
    TVemoObject* a = group->AddChild(FilledRect(copper, {0, 0}, {10, 10}));
    group->AddChild(FilledRect(copper, {20, 0}, {30, 10}));
    TVemoGroup* g = static_cast<TVemoGroup*>(root.AddChild(std::move(group)));

    g->RemoveChild(a);
    ASSERT_EQ(root.GetChildCount(), 1);
    EXPECT_EQ(g->GetChildCount(), 1);
    EXPECT_EQ(g->GetDrawOrder().size(), 1u);

    TVemoRect stranger;
    g->RemoveChild(&stranger);  // not a child: nothing happens
    EXPECT_EQ(g->GetChildCount(), 1);
}

TEST_F(TVemoGroupTest, ReleaseChildHandsItBackAlive) {
    auto group = std::make_unique<TVemoGroup>();
    TVemoObject* a = group->AddChild(FilledRect(copper, {0, 0}, {10, 10}));
    TVemoGroup* g = static_cast<TVemoGroup*>(root.AddChild(std::move(group)));

    std::unique_ptr<TVemoObject> taken = g->ReleaseChild(a);
    ASSERT_EQ(taken.get(), a);
    EXPECT_EQ(taken->GetParent(), nullptr);
    EXPECT_EQ(g->GetChildCount(), 0);
    EXPECT_TRUE(g->GetDrawOrder().empty());
    EXPECT_EQ(root.GetChildCount(), 1) << "an emptied group stays until the caller removes it";
    EXPECT_EQ(g->ReleaseChild(a), nullptr);

    root.AddChild(std::move(taken));
    EXPECT_EQ(a->GetParent(), &root);
}

TEST_F(TVemoGroupTest, CloneIsDeepAndFresh) {
    TVemoGroup group;
    group.SetName("pad set");
    group.AddChild(FilledRect(copper, {0, 0}, {10, 10}));
    auto inner = std::make_unique<TVemoGroup>();
    inner->AddChild(FilledRect(copper, {20, 0}, {30, 10}));
    group.AddChild(std::move(inner));
    group.Select();
    group.SetFlags(TVemoObject::FlagLocked);

    const std::unique_ptr<TVemoGroup> copy = CloneOf(group);
    EXPECT_EQ(copy->GetName(), "pad set");
    EXPECT_EQ(copy->GetFlags(), TVemoObject::FlagVisible);
    ASSERT_EQ(copy->GetChildCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(copy->GetChild(i), group.GetChild(i));
        EXPECT_EQ(copy->GetChild(i)->GetParent(), copy.get());
        EXPECT_EQ(copy->GetChild(i)->GetTag(), group.GetChild(i)->GetTag());
    }
    EXPECT_EQ(static_cast<TVemoGroup*>(copy->GetChild(1))->GetChildCount(), 1);
    EXPECT_EQ(CloneOf(root)->GetTag(), "PART");
}

TEST_F(TVemoGroupTest, BoundsCountSelectedMembersOfGroupsAndAllChildrenOfParts) {
    auto group = std::make_unique<TVemoGroup>();
    TVemoObject* a = group->AddChild(FilledRect(copper, {0, 0}, {10, 10}));
    group->AddChild(FilledRect(copper, {90, 90}, {100, 100}));
    TVemoGroup* g = static_cast<TVemoGroup*>(root.AddChild(std::move(group)));
    root.AddChild(FilledRect(copper, {200, 50}, {210, 60}));

    EXPECT_EQ(BoundsOf(*g), RectF()) << "nothing selected";
    a->Select();
    EXPECT_EQ(BoundsOf(*g), BoundsOf(*a));
    g->Select();
    const RectF all = BoundsOf(*g);
    EXPECT_FLOAT_EQ(all.Left(), -0.5f);
    EXPECT_FLOAT_EQ(all.Bottom(), 100.5f);

    // The part measures every child: here the group counts with its selected members.
    const RectF whole = BoundsOf(root);
    EXPECT_FLOAT_EQ(whole.Left(), -0.5f);
    EXPECT_FLOAT_EQ(whole.Right(), 210.5f);
    EXPECT_FLOAT_EQ(whole.Bottom(), 100.5f);

    root.ClearFlags(TVemoObject::FlagVisible);
    EXPECT_EQ(BoundsOf(root), RectF());
}

TEST_F(TVemoGroupTest, PickHandlePrefersAnEditedChildThenTheFirstHit) {
    struct Row {
        const char* name;
        // Three children: editing flag, HitHandle answer, PickHandle answer.
        bool editing[3];
        int hit[3];
        int pick[3];
        int expected;
        int pickedChild;  // the child whose PickHandle gave the answer, -1 none
    };
    const Row rows[] = {
        {"edited child on a handle wins at once", {false, true, true}, {1, 0, 0}, {9, 2, 4}, 2, 1},
        {"edited child on its outline only yields to a hit child",
         {true, false, false},
         {0, 1, 2},
         {1, 7, 8},
         7,
         1},
        {"no hit: the last edited answer", {true, true, false}, {0, 0, 0}, {1, 0, 5}, 0, -1},
        {"nothing at all", {false, false, false}, {0, 0, 0}, {3, 3, 3}, 0, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TVemoGroup group;
        std::vector<TScriptedObject*> kids;
        kids.reserve(3);
        for (int i = 0; i < 3; ++i)
            kids.push_back(static_cast<TScriptedObject*>(
                group.AddChild(std::make_unique<TScriptedObject>(row.editing[i], row.hit[i], row.pick[i]))));
        EXPECT_EQ(group.PickHandle({0, 0}, 3), row.expected);
        if (row.pickedChild >= 0) {
            EXPECT_GT(kids[std::size_t(row.pickedChild)]->picks, 0);
        }
    }

    // Locked children are never asked.
    TVemoGroup group;
    auto* locked =
        static_cast<TScriptedObject*>(group.AddChild(std::make_unique<TScriptedObject>(true, 2, 2)));
    locked->SetFlags(TVemoObject::FlagLocked);
    EXPECT_EQ(group.PickHandle({0, 0}, 3), 0);
    EXPECT_EQ(locked->picks, 0);
}

TEST_F(TVemoGroupTest, WholeMovesIncludeLockedChildren) {
    TVemoObject* locked = root.AddChild(FilledRect(copper, {0, 0}, {10, 10}));
    locked->SetFlags(TVemoObject::FlagLocked);
    root.Translate(100, 0);
    EXPECT_FLOAT_EQ(BoundsOf(*locked).Left(), 99.5f);
}

// --- merged outlines -------------------------------------------------------

// The figures of a path, each as its bounds.
std::vector<RectF> FigureBounds(const GraphicsPath& path) {
    std::vector<RectF> out;
    for (const auto& poly : path.FlattenedPolygons(0.25f)) {
        GraphicsPath one;
        one.AddPolygon(poly.data(), poly.size());
        out.push_back(one.GetBounds());
    }
    return out;
}

TEST_F(TVemoGroupTest, MergedOutlineKeepsTheOrderOfEachAreasFirstObject) {
    const TVemoLayerPtr other = MakeLayer("other", 1);
    root.AddChild(FilledRect(copper, {0, 0}, {20, 20}));     // first
    root.AddChild(FilledRect(copper, {100, 0}, {120, 20}));  // second, apart
    root.AddChild(FilledRect(copper, {10, 10}, {40, 30}));   // third, overlaps the first
    root.AddChild(FilledRect(other, {15, 0}, {110, 20}));    // bridges them, on another layer
    auto hidden = FilledRect(copper, {20, 0}, {100, 20});    // would bridge them too, but hidden
    hidden->ClearFlags(TVemoObject::FlagVisible);
    root.AddChild(std::move(hidden));

    GraphicsPath merged;
    root.AddMergedOutline(merged, copper->GetIndex());
    const std::vector<RectF> figures = FigureBounds(merged);
    ASSERT_EQ(figures.size(), 2u);
    EXPECT_NEAR(figures[0].Left(), -0.5f, 0.01f);
    EXPECT_NEAR(figures[0].Right(), 40.5f, 0.01f);
    EXPECT_NEAR(figures[0].Bottom(), 30.5f, 0.01f);
    EXPECT_NEAR(figures[1].Left(), 99.5f, 0.01f);
    EXPECT_NEAR(figures[1].Right(), 120.5f, 0.01f);
    EXPECT_EQ(merged.GetFillMode(), geom::FillMode::Winding);

    GraphicsPath none;
    root.AddMergedOutline(none, 7);
    EXPECT_TRUE(none.IsEmpty());
    root.ClearFlags(TVemoObject::FlagVisible);
    root.AddMergedOutline(none, copper->GetIndex());
    EXPECT_TRUE(none.IsEmpty()) << "a hidden part adds nothing";
}

TEST_F(TVemoGroupTest, MergedOutlineReachesIntoGroupsAndJoinsTouchingOutlines) {
    // Two pads that touch exactly and one inside a group that overlaps the second.
    root.AddChild(FilledRect(copper, {0, 0}, {9, 9}));    // outline -0.5 ... 9.5
    root.AddChild(FilledRect(copper, {10, 0}, {19, 9}));  // outline 9.5 ... 19.5: touches
    auto group = std::make_unique<TVemoGroup>();
    group->AddChild(RoundPad(copper, {25, 5}, 14));
    root.AddChild(std::move(group));
    root.AddChild(RoundPad(copper, {200, 200}, 10));

    GraphicsPath merged;
    root.AddMergedOutline(merged, copper->GetIndex());
    const std::vector<RectF> figures = FigureBounds(merged);
    ASSERT_EQ(figures.size(), 2u);
    EXPECT_NEAR(figures[0].Right(), 32.0f, 0.3f);
    EXPECT_NEAR(figures[1].Left(), 195.0f, 0.3f);
}

TEST_F(TVemoGroupTest, MergedOutlineAddedToFiguresMergesWithThem) {
    root.AddChild(FilledRect(copper, {0, 0}, {20, 20}));
    root.AddChild(FilledRect(copper, {100, 0}, {120, 20}));
    GraphicsPath path;
    const RectF bridge(10, 5, 100, 5);
    path.AddRectangle(bridge);
    root.AddMergedOutline(path, copper->GetIndex());
    ASSERT_EQ(path.FigureCount(), 1u) << "the figures already there join the areas they meet";
    EXPECT_NEAR(geom::AreaOf(path), 21.0 * 21 * 2 + 79.0 * 5, 1.0);  // corners are rounded
}

// Sum of the signed areas of the figures: equals the area of their union only
// when no two figures overlap.
double SignedFigureSum(const GraphicsPath& path) {
    double sum = 0;
    for (const auto& poly : path.FlattenedPolygons(0.25f)) {
        double twice = 0;
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const PointF a = poly[i], b = poly[(i + 1) % poly.size()];
            twice += double(a.x) * b.y - double(b.x) * a.y;
        }
        sum += twice / 2;
    }
    return sum;
}

// Non-zero winding number of p over the figures (all straight-edged here).
bool WindingContains(const std::vector<std::vector<PointF>>& polys, PointF p) {
    int winding = 0;
    for (const auto& poly : polys) {
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const PointF a = poly[i], b = poly[(i + 1) % poly.size()];
            const double side =
                (double(b.x) - a.x) * (double(p.y) - a.y) - (double(p.x) - a.x) * (double(b.y) - a.y);
            if (a.y <= p.y && b.y > p.y && side > 0) ++winding;
            if (a.y > p.y && b.y <= p.y && side < 0) --winding;
        }
    }
    return winding != 0;
}

TEST_F(TVemoGroupTest, MergedOutlineOfRandomPadsIsTheirWindingOutline) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<float> pos(0.0f, 400.0f);
    std::uniform_real_distribution<float> size(6.0f, 30.0f);
    GraphicsPath all(geom::FillMode::Winding);
    for (int i = 0; i < 200; ++i) {
        const PointF c{pos(rng), pos(rng)};
        const float d = size(rng);
        if (i % 3 == 0)
            root.AddChild(FilledRect(copper, {c.x - d / 2, c.y - d / 3}, {c.x + d / 2, c.y + d / 3}));
        else
            root.AddChild(RoundPad(copper, c, d));
        GraphicsPath one;
        root.GetChild(i)->AddOutline(one, copper->GetIndex());
        all.AddPath(one);
    }
    all.WindingOutline(0.25f);

    GraphicsPath merged;
    root.AddMergedOutline(merged, copper->GetIndex());

    const double area = geom::AreaOf(all);
    EXPECT_NEAR(geom::AreaOf(merged), area, area * 1e-5);
    // Disjoint figures: overlapping areas left unmerged would count twice here.
    EXPECT_NEAR(std::fabs(SignedFigureSum(merged)), area, area * 1e-4);
    EXPECT_EQ(merged.FigureCount(), all.FigureCount());

    const auto mergedPolys = merged.FlattenedPolygons(0.25f);
    const auto allPolys = all.FlattenedPolygons(0.25f);
    std::uniform_real_distribution<float> sample(-20.0f, 420.0f);
    int mismatches = 0, inside = 0;
    for (int i = 0; i < 3000; ++i) {
        const PointF p{sample(rng), sample(rng)};
        const bool in = WindingContains(allPolys, p);
        inside += in;
        if (WindingContains(mergedPolys, p) != in) ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(inside, 150) << "the samples must reach into the pads";
}

}  // namespace
