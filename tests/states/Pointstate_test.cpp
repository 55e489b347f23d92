// The point tool driven by scripted gestures on the fake windows: picking
// anchors across paths, dragging anchors and handles, the anchor band,
// Ctrl+Shift handle re-making, X+Z and the add-point mode, undo.

#include <cmath>
#include <typeinfo>
#include <vector>

#include "states/Vemomenucontrol.h"
#include "states/Vemopointstate.h"
#include "tests/states/Gesturefixture.h"

namespace {

class PointTest : public GestureTest {
protected:
    void SetUp() override {
        GestureTest::SetUp();
        context->PressTool("point");
    }
    const std::vector<TVemoObject*>& Edits() { return context->Session().EditList(); }
    static std::vector<bool> SelectedAnchors(const TVemoPath& path) {
        const std::vector<unsigned char>& types = path.GetTypes().Vector();
        std::vector<bool> out;
        for (std::size_t i = 0; i < types.size(); i += 3) out.push_back(types[i] & 1);
        return out;
    }
    static RectF Bounds(const TVemoObject* o) {
        RectF b;
        o->GetBounds(b);
        return b;
    }
    // Three nodes: a curved first segment from (-60, 0) to (0, 0) whose
    // midpoint is (-30, -30), then a straight one to (40, 0); smooth and curved.
    TVemoPath* AddCurve(unsigned char type = TVemoPath::TypeSmooth | TVemoPath::TypeCurved) {
        return AddPathPoints(
            {{-60, 0}, {-60, -40}, {0, -40}, {0, 0}, {0, 0}, {40, 0}, {40, 0}, {40, 0}, {-60, 0}},
            std::vector<unsigned char>(9, type), false);
    }
};

TEST_F(PointTest, PickShiftAddAndDragAnchorsOfTwoPathsInWholePitches) {
    TVemoPath* a = AddPolyline({{-80, -20}, {-40, -20}, {-40, 20}});
    TVemoPath* b = AddPolyline({{20, -20}, {60, -20}, {60, 20}});
    // A click on an anchor of a path not being edited starts editing it with that anchor.
    Click(ssLeft, {-40, -20});
    EXPECT_EQ(Edits(), (std::vector<TVemoObject*>{a}));
    EXPECT_TRUE(a->IsEditingPoints());
    EXPECT_EQ(SelectedAnchors(*a), (std::vector<bool>{false, true, false}));
    // Shift+click on an anchor of another path adds it; the first keeps its anchor.
    Click(ssLeft | ssShift, {61, -19});
    EXPECT_EQ(Edits(), (std::vector<TVemoObject*>{a, b}));
    EXPECT_EQ(SelectedAnchors(*a), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(SelectedAnchors(*b), (std::vector<bool>{false, true, false}));

    // Dragging a selected anchor moves both, in whole pitches with snap on.
    Doc().SetViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
    const std::size_t steps = Steps();
    Press(ssLeft, {-39, -19});  // the drag starts from (-40, -20)
    EXPECT_EQ(typeid(*Current()), typeid(TVemoPointState));
    Drag(ssLeft, {-36, -17});  // less than half a pitch: nothing
    EXPECT_EQ(Anchors(*a)[1], PointF(-40, -20));
    Drag(ssLeft, {-27, -18});  // one pitch right
    Drag(ssLeft, {-13, -6});   // two right, one down
    Release(0, {-13, -6});
    EXPECT_EQ(Anchors(*a), (std::vector<PointF>{{-80, -20}, {-10, -10}, {-40, 20}}));
    EXPECT_EQ(Anchors(*b), (std::vector<PointF>{{20, -20}, {90, -10}, {60, 20}}));
    // The handles went with their anchor.
    EXPECT_EQ(Points(*a)[2], PointF(-10, -10));
    EXPECT_EQ(Points(*a)[4], PointF(-10, -10));
    EXPECT_EQ(Steps(), steps + 1);

    // Undo ends point editing on every object.
    context->SendCommand(ecUndo);
    EXPECT_TRUE(Edits().empty());
    ASSERT_EQ(Root().GetChildCount(), 2);
    for (int i = 0; i < 2; ++i) EXPECT_FALSE(Root().GetChild(i)->IsEditingPoints()) << i;
    EXPECT_EQ(Anchors(*static_cast<TVemoPath*>(Root().GetChild(1)))[1], PointF(60, -20));

    // Leaving the tool ends it too.
    Click(ssLeft, {-80, -20});
    EXPECT_TRUE(Root().GetChild(0)->IsEditingPoints());
    context->PressTool("select");
    EXPECT_FALSE(Root().GetChild(0)->IsEditingPoints());
    EXPECT_TRUE(Edits().empty());
}

// A dragged node lands exactly on a land's middle or a track's end near the
// pointer, before the grid; Alt leaves it to the grid; a path being edited
// never attracts its own nodes.
TEST_F(PointTest, ADraggedNodeSnapsToCopperUnlessAltIsHeld) {
    Doc().SetViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
    AddPolyline({{33, 7}, {33, 7}});                         // a round land: a dot
    AddPolyline({{61, -41}, {81, -41}});                     // another track
    TVemoPath* track = AddPolyline({{-40, -20}, {0, -20}});  // the one being edited
    Click(ssLeft, {0, -20});
    ASSERT_EQ(Edits(), (std::vector<TVemoObject*>{track}));
    const std::size_t steps = Steps();

    Press(ssLeft, {1, -19});
    Drag(ssLeft, {35, 9});  // within 6 pixels of the land
    EXPECT_EQ(Anchors(*track)[1], PointF(33, 7));
    ASSERT_TRUE(ui.marker.has_value());
    EXPECT_EQ(*ui.marker, PointF(133, 57));
    Drag(ssLeft, {23, 2});  // out of reach: whole pitches from the press again
    EXPECT_EQ(Anchors(*track)[1], PointF(20, 0));
    EXPECT_FALSE(ui.marker.has_value());
    Drag(ssLeft, {79, -38});  // the other track's end
    Release(0, {79, -38});
    EXPECT_EQ(Anchors(*track), (std::vector<PointF>{{-40, -20}, {81, -41}}));
    EXPECT_FALSE(ui.marker.has_value());
    EXPECT_EQ(Steps(), steps + 1);

    // With Alt the node keeps to whole pitches of the drag.
    Press(ssLeft, {81, -41});
    Drag(ssLeft | ssAlt, {35, 9});
    Release(ssAlt, {35, 9});
    EXPECT_EQ(Anchors(*track)[1], PointF(41, 9));
    EXPECT_FALSE(ui.marker.has_value());

    // Its own first node does not attract it.
    Press(ssLeft, {41, 9});
    Drag(ssLeft, {-38, -18});
    Release(0, {-38, -18});
    EXPECT_EQ(Anchors(*track)[1], PointF(-39, -21));
}

TEST_F(PointTest, DraggingAHandleMovesOnlyItTheOppositeFollowsOnASmoothNode) {
    const unsigned char smooth = TVemoPath::TypeSmooth | TVemoPath::TypeCurved;
    for (unsigned char type : {smooth, TVemoPath::TypeCurved}) {
        SCOPED_TRACE(int(type));
        while (Root().GetChildCount() > 0) Root().GetChild(0)->RemoveFromParent();
        TVemoPath* p = AddCurve(type);
        TVemoPath* other = AddPolyline({{-80, 40}, {-20, 40}});
        Click(ssLeft, {-80, 40});
        Click(ssLeft | ssShift, {0, 0});
        ASSERT_EQ(Edits().size(), 2u);
        const std::size_t steps = Steps();
        // The incoming handle of node 1 at (0, -40), 40 units from its anchor.
        Press(ssLeft, {1, -39});
        EXPECT_EQ(typeid(*Current()), typeid(TVemoPointHandleState));
        // The other path's anchors are no longer selected.
        EXPECT_EQ(SelectedAnchors(*other), (std::vector<bool>{false, false}));
        Drag(ssLeft, {31, -39});
        Release(0, {31, -39});
        EXPECT_EQ(typeid(*Current()), typeid(TVemoPointState));
        EXPECT_EQ(Steps(), steps + 1);
        const std::vector<PointF> pts = Points(*p);
        EXPECT_EQ(pts[2], PointF(30, -40));
        EXPECT_EQ(pts[3], PointF(0, 0));
        if (type == smooth) {
            // Turned to stay opposite, its own length (0 here) kept.
            EXPECT_EQ(pts[4], PointF(0, 0));
        }
        EXPECT_EQ(Anchors(*other), (std::vector<PointF>{{-80, 40}, {-20, 40}}));
    }
    // A smooth node whose opposite handle has length: it turns to stay collinear.
    while (Root().GetChildCount() > 0) Root().GetChild(0)->RemoveFromParent();
    TVemoPath* p =
        AddPathPoints({{-60, 0}, {-60, 0}, {-20, 0}, {0, 0}, {20, 0}, {60, 0}, {60, 0}, {60, 0}, {-60, 0}},
                      std::vector<unsigned char>(9, smooth), false);
    Click(ssLeft, {0, 0});
    Press(ssLeft, {20, 0});
    Drag(ssLeft, {20, 20});
    Release(0, {20, 20});
    EXPECT_EQ(Points(*p)[4], PointF(20, 20));
    EXPECT_NEAR(Points(*p)[2].x, -20 / std::sqrt(2.0), 1e-3);
    EXPECT_NEAR(Points(*p)[2].y, -20 / std::sqrt(2.0), 1e-3);
}

TEST_F(PointTest, ABandPicksAnchorsOfTwoPathsAfterFivePixels) {
    TVemoPath* a = AddPolyline({{-80, -20}, {-40, -20}, {-40, 20}});
    TVemoPath* b = AddPolyline({{20, -20}, {60, -20}, {60, 20}});
    Press(ssLeft, {-50, -30});
    EXPECT_EQ(typeid(*Current()), typeid(TVemoPointNullState));
    Drag(ssLeft, {-45, -25});
    EXPECT_EQ(typeid(*Current()), typeid(TVemoPointNullState));
    Drag(ssLeft, {-44, -30});
    EXPECT_EQ(typeid(*Current()), typeid(TVemoPointRectState));
    Drag(ssLeft, {70, -10});
    EXPECT_TRUE(ui.band.has_value());
    Release(0, {70, -10});
    EXPECT_FALSE(ui.band.has_value());
    EXPECT_EQ(typeid(*Current()), typeid(TVemoPointState));
    EXPECT_EQ(Edits(), (std::vector<TVemoObject*>{a, b}));
    EXPECT_EQ(SelectedAnchors(*a), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(SelectedAnchors(*b), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(context->StylePanel().ShownCount(), 2);
    // One drag moves all three picked anchors.
    Press(ssLeft, {20, -20});
    Drag(ssLeft, {20, -15});
    Release(0, {20, -15});
    EXPECT_EQ(Anchors(*a), (std::vector<PointF>{{-80, -20}, {-40, -15}, {-40, 20}}));
    EXPECT_EQ(Anchors(*b), (std::vector<PointF>{{20, -15}, {60, -15}, {60, 20}}));
    // Arrow keys move them by a pitch, one undo step per release.
    const std::size_t steps = Steps();
    Down(vk::Left);
    Down(vk::Left);
    Up(vk::Left);
    EXPECT_EQ(Anchors(*b)[0], PointF(0, -15));
    EXPECT_EQ(Steps(), steps + 1);
    // A press and release on empty space ends the edit.
    Click(ssLeft, {0, 40});
    EXPECT_TRUE(Edits().empty());
    EXPECT_FALSE(a->IsEditingPoints() || b->IsEditingPoints());
}

TEST_F(PointTest, CtrlShiftRetractsHandlesAndPullsANewSymmetricPair) {
    TVemoPath* p = AddCurve();
    Click(ssLeft, {0, 0});
    Down(vk::Control);
    Down(vk::Shift);
    EXPECT_EQ(typeid(*Current()), typeid(TVemoHandleRemakeState));
    const std::size_t steps = Steps();
    Click(ssLeft, {1, 1});
    EXPECT_EQ(Points(*p)[2], PointF(0, 0));
    EXPECT_EQ(Points(*p)[4], PointF(0, 0));
    EXPECT_EQ(p->GetTypes()[3] & TVemoPath::TypeCurved, 0);
    EXPECT_EQ(Steps(), steps + 1);
    // A drag from the anchor pulls a symmetric pair out of it.
    Press(ssLeft, {0, 0});
    Drag(ssLeft, {10, 20});
    Release(0, {10, 20});
    EXPECT_EQ(Points(*p)[4], PointF(10, 20));
    EXPECT_EQ(Points(*p)[2], PointF(-10, -20));
    EXPECT_EQ(p->GetTypes()[3] & 0x06, 0x06);
    EXPECT_EQ(Steps(), steps + 2);
    EXPECT_EQ(typeid(*Current()), typeid(TVemoHandleRemakeState));
    // Releasing either key goes back to the point tool.
    Up(vk::Shift);
    EXPECT_EQ(typeid(*Current()), typeid(TVemoPointState));
    Up(vk::Control);
    // Ctrl+Shift with another tracked key held is not the combination.
    Down('X');
    Down(vk::Control);
    Down(vk::Shift);
    EXPECT_EQ(typeid(*Current()), typeid(TVemoPointState));
}

TEST_F(PointTest, XZInsertsANodeWithoutChangingTheCurveAndDeletesOne) {
    TVemoPath* p = AddCurve();
    const RectF shape = Bounds(p);
    Click(ssLeft, {0, 0});
    Down('X');
    Down('Z');
    EXPECT_EQ(typeid(*Current()), typeid(TVemoAddPointState));
    const std::size_t steps = Steps();
    Click(ssLeft, {-30, -30});  // on the curve, between nodes
    ASSERT_EQ(p->GetPoints().size(), 12u);
    EXPECT_NEAR(Points(*p)[3].x, -30, 0.5);
    EXPECT_NEAR(Points(*p)[3].y, -30, 0.5);
    // Its handles split the old ones at the same parameter (de Casteljau), so
    // both halves trace the old curve.
    EXPECT_NEAR(Points(*p)[2].x, -45, 0.5);
    EXPECT_NEAR(Points(*p)[4].x, -15, 0.5);
    EXPECT_NEAR(Points(*p)[1].y, -20, 0.5);
    EXPECT_NEAR(Points(*p)[5].y, -20, 0.5);
    // The same outline, to within the flattening tolerance of the stroke.
    const RectF after = Bounds(p);
    EXPECT_NEAR(after.x, shape.x, 0.25);
    EXPECT_NEAR(after.y, shape.y, 0.25);
    EXPECT_NEAR(after.width, shape.width, 0.25);
    EXPECT_NEAR(after.height, shape.height, 0.25);
    EXPECT_EQ(Steps(), steps + 1);
    // Clicking anchors deletes them, down to two nodes; the refused third is no step.
    Click(ssLeft, {40, 0});
    Click(ssLeft, {-60, 0});
    EXPECT_EQ(p->GetPoints().size(), 6u);
    Click(ssLeft, {0, 0});
    EXPECT_EQ(p->GetPoints().size(), 6u);
    EXPECT_EQ(Steps(), steps + 3);
    Up('Z');
    EXPECT_EQ(typeid(*Current()), typeid(TVemoPointState));
    Up('X');
}

TEST_F(PointTest, TheAddPointButtonIsALastingModeEndedByEscapeOrTheButton) {
    TVemoPath* p = AddCurve();
    Click(ssLeft, {0, 0});
    TMenuControl& menu = context->MenuControl();
    TVemoToolButton* button = menu.Find("add_point");
    ASSERT_NE(button, nullptr);
    for (bool byEscape : {true, false}) {
        SCOPED_TRACE(byEscape ? "escape" : "button");
        // A point on the outline, away from every anchor.
        const PointF at = byEscape ? PointF(-30, -30) : PointF(20, 0);
        menu.UserClick(*button);
        EXPECT_TRUE(button->IsDown());
        EXPECT_EQ(typeid(*Current()), typeid(TVemoAddPointToolState));
        const std::size_t count = p->GetPoints().size();
        Click(ssLeft, at);
        EXPECT_EQ(p->GetPoints().size(), count + 3);
        if (byEscape) {
            Down(vk::Escape);
            Up(vk::Escape);
        } else {
            menu.UserClick(*button);
        }
        EXPECT_FALSE(button->IsDown());
        EXPECT_EQ(typeid(*Current()), typeid(TVemoPointState));
        // Back in the point tool a click on the outline inserts nothing.
        Click(ssLeft, at + PointF(1, 0));
        EXPECT_EQ(p->GetPoints().size(), count + 3);
        Click(ssLeft, {0, 0});
    }
}

}  // namespace
