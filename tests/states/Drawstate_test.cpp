// The path and polyline tools driven by scripted clicks, drags, keys and
// commands on the fake windows: nodes, closing, handles, finishing in one
// undo step, undo and redo while drawing, panning in the middle of a path.

#include <string>
#include <typeinfo>
#include <vector>

#include "history/Vemohistory.h"
#include "model/Vemorectangle.h"
#include "states/Vemodrawstate.h"
#include "states/Vemoviewstate.h"
#include "tests/states/Gesturefixture.h"

namespace {

class DrawTest : public GestureTest {
protected:
    // Makes the tool current as a click on its button does.
    TVemoDrawState* Tool(const std::string& name) {
        context->PressTool(name);
        return dynamic_cast<TVemoDrawState*>(Current());
    }
    TVemoPath* PathAt(int i) { return dynamic_cast<TVemoPath*>(Root().GetChild(i)); }
    int TemporarySteps() {
        int n = 0;
        for (std::size_t i = 0; i < Steps(); ++i)
            if (dynamic_cast<const TTempMemento*>(context->History().At(i))) ++n;
        return n;
    }
};

const std::vector<PointF> kFour = {{-60, -20}, {-20, 20}, {20, -20}, {60, 20}};

TEST_F(DrawTest, FourClicksAndAnyFinishGiveOneOpenPathAsOneUndoStep) {
    struct Case {
        const char* tool;
        const char* finish;
    };
    for (const Case c : {Case{"path", "enter"}, Case{"poly", "enter"}, Case{"path", "escape"},
                         Case{"poly", "ok"}, Case{"path", "tool change"}}) {
        SCOPED_TRACE(std::string(c.tool) + " finished by " + c.finish);
        while (Root().GetChildCount() > 0) Root().GetChild(0)->RemoveFromParent();
        Settled();
        const std::size_t steps = Steps();
        TVemoDrawState* tool = Tool(c.tool);
        ASSERT_NE(tool, nullptr);
        for (PointF p : kFour) Click(ssLeft, p);
        // One temporary step per click while drawing; the path shows its style.
        EXPECT_EQ(TemporarySteps(), 4);
        ASSERT_NE(tool->CurrentPath(), nullptr);
        EXPECT_EQ(context->StylePanel().ShownCount(), 1);

        const std::string finish = c.finish;
        if (finish == "enter") {
            Down(vk::Return);
            Up(vk::Return);
        } else if (finish == "escape") {
            Down(vk::Escape);
            Up(vk::Escape);
        } else if (finish == "ok") {
            context->SendCommand(ecFinish);
        } else {
            context->PressTool("select");
        }
        EXPECT_EQ(tool->CurrentPath(), nullptr);
        ASSERT_EQ(Root().GetChildCount(), 1);
        TVemoPath* path = PathAt(0);
        ASSERT_NE(path, nullptr);
        EXPECT_EQ(Anchors(*path), kFour);
        EXPECT_FALSE(path->IsClosed());
        EXPECT_FALSE(path->IsSelected());
        EXPECT_FALSE(path->IsEditingPoints());
        EXPECT_EQ(context->StylePanel().ShownCount(), 0);
        // Exactly one ordinary step for the whole path; undo takes all of it.
        EXPECT_EQ(TemporarySteps(), 0);
        EXPECT_EQ(Steps(), steps + 1);
        context->SendCommand(ecUndo);
        EXPECT_EQ(Root().GetChildCount(), 0);
        context->SendCommand(ecRedo);
        ASSERT_EQ(Root().GetChildCount(), 1);
        EXPECT_EQ(Anchors(*PathAt(0)), kFour);
        context->PressTool("select");
    }
}

TEST_F(DrawTest, ClickingTheFirstNodeClosesAndFinishesOnRelease) {
    for (const char* name : {"path", "poly"}) {
        SCOPED_TRACE(name);
        while (Root().GetChildCount() > 0) Root().GetChild(0)->RemoveFromParent();
        Settled();
        const std::size_t steps = Steps();
        TVemoDrawState* tool = Tool(name);
        for (PointF p : {PointF(-40, -20), PointF(40, -20), PointF(0, 30)}) Click(ssLeft, p);
        // Two pixels off the first node still hits it.
        Press(ssLeft, {-38, -18});
        EXPECT_TRUE(tool->IsClosed());
        ASSERT_NE(tool->CurrentPath(), nullptr);
        Release(0, {-38, -18});
        EXPECT_EQ(tool->CurrentPath(), nullptr);
        ASSERT_EQ(Root().GetChildCount(), 1);
        EXPECT_TRUE(PathAt(0)->IsClosed());
        EXPECT_EQ(Anchors(*PathAt(0)), (std::vector<PointF>{{-40, -20}, {40, -20}, {0, 30}}));
        EXPECT_EQ(Steps(), steps + 1);
        EXPECT_EQ(TemporarySteps(), 0);
        // The next click starts a new path; the closed one is left alone.
        Click(ssLeft, {60, 30});
        ASSERT_EQ(Root().GetChildCount(), 2);
        EXPECT_EQ(Anchors(*PathAt(1)), (std::vector<PointF>{{60, 30}}));
        EXPECT_EQ(PathAt(0)->GetPoints().size(), 9u);
        context->PressTool("select");
    }
}

TEST_F(DrawTest, DraggingPullsSymmetricHandlesWithThePathToolOnly) {
    for (const char* name : {"path", "poly"}) {
        SCOPED_TRACE(name);
        while (Root().GetChildCount() > 0) Root().GetChild(0)->RemoveFromParent();
        Tool(name);
        Click(ssLeft, {-50, 0});
        Press(ssLeft, {0, 0});
        Drag(ssLeft, {6, 3});
        Drag(ssLeft, {10, 5});
        Release(0, {10, 5});
        Down(vk::Return);
        Up(vk::Return);
        ASSERT_EQ(Root().GetChildCount(), 1);
        const std::vector<PointF> pts = Points(*PathAt(0));
        ASSERT_EQ(pts.size(), 6u);
        if (std::string(name) == "path") {
            // Outgoing handle at the pointer, incoming one mirrored; the node is smooth and curved.
            EXPECT_EQ(pts[3], PointF(0, 0));
            EXPECT_EQ(pts[4], PointF(10, 5));
            EXPECT_EQ(pts[2], PointF(-10, -5));
            for (int i : {2, 3, 4}) EXPECT_EQ(PathAt(0)->GetTypes()[i] & 0x06, 0x06) << i;
        } else {
            // A sharp corner: every handle on its anchor.
            EXPECT_EQ(pts, (std::vector<PointF>{{-50, 0}, {-50, 0}, {0, 0}, {0, 0}, {0, 0}, {-50, 0}}));
        }
        context->PressTool("select");
    }
}

TEST_F(DrawTest, WithSnapNodesLandOnTheGridAndHandlesMoveInWholePitches) {
    Doc().SetViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
    TVemoDrawState* tool = Tool("path");
    Click(ssLeft, {-44, 3});  // lands on (-40, 0)
    Press(ssLeft, {17, 14});  // lands on (20, 10)
    Drag(ssLeft, {21, 14});   // less than half a pitch from the node: no handle
    TVemoPath* path = tool->CurrentPath();
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(Points(*path),
              (std::vector<PointF>{{-40, 0}, {-40, 0}, {20, 10}, {20, 10}, {20, 10}, {-40, 0}}));
    EXPECT_EQ(path->GetTypes()[3], TVemoPath::TypeSelected | TVemoPath::TypeSmooth);
    Drag(ssLeft, {27, 2});  // 7 and -8: one pitch each way
    EXPECT_EQ(Points(*path)[4], PointF(30, 0));
    EXPECT_EQ(Points(*path)[2], PointF(10, 20));
    Release(0, {27, 2});
    EXPECT_EQ(ui.status[0], "X   3.000000 Y   0.000000");
    // Hovering shows the pointer on the grid.
    Drag(0, {-33, 14});
    EXPECT_EQ(ui.status[0], "X  -3.000000 Y   1.000000");
}

TEST_F(DrawTest, NodesSnapToLandsAndTrackEndsBeforeTheGridUnlessAltIsHeld) {
    Doc().SetViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
    AddPolyline({{33, 7}, {33, 7}});              // a round land: a dot
    AddPolyline({{60, -40}, {80, -40}});          // a track
    AddPolyline({{-80, 30}, {-60, 30}}, true);    // a slot, drawn there and back
    auto square = std::make_unique<TVemoRect>();  // a square land, filled
    square->SetLayer(Doc().GetLayerList().Current());
    square->SetSurface(TVemoSurface(1.0f, true, false));
    square->SetCorners({-58, -38}, {-42, -22});
    Root().AddChild(std::move(square));
    auto pour = std::make_unique<TVemoRect>();  // a copper area is no land
    pour->SetLayer(Doc().GetLayerList().Current());
    pour->SetSurface(TVemoSurface(1.0f, true, false));
    pour->SetCorners({-90, -45}, {90, 45});
    Root().AddChild(std::move(pour));
    Root().Rebuild();
    TVemoDrawState* tool = Tool("poly");

    struct Row {
        const char* what;
        TShiftState held;
        PointF pointer, node;
    };
    const Row rows[] = {
        {"a land's middle within 6 pixels", 0, {35, 9}, {33, 7}},
        {"a track's far end", 0, {78, -37}, {80, -40}},
        {"a track's near end", 0, {57, -42}, {60, -40}},
        {"a slot's middle", 0, {-68, 33}, {-70, 30}},
        {"a square land's middle", 0, {-47, -27}, {-50, -30}},
        {"Alt: the grid", ssAlt, {35, 9}, {40, 10}},
        {"out of reach: the grid", 0, {12, 22}, {10, 20}},
        {"the middle of an area: the grid", 0, {3, 1}, {0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // Hovering marks the land a press would take, in window pixels.
        Drag(row.held, row.pointer);
        const bool copper = !(row.held & ssAlt) && std::string(row.what).find("grid") == std::string::npos;
        ASSERT_EQ(ui.marker.has_value(), copper);
        if (copper) {
            EXPECT_EQ(*ui.marker, PointF(row.node.x + 100, row.node.y + 50));
        }
        Press(ssLeft | row.held, row.pointer);
        Release(row.held, row.pointer);
        TVemoPath* path = tool->CurrentPath();
        ASSERT_NE(path, nullptr);
        const std::vector<PointF> pts = Points(*path);
        EXPECT_EQ(pts[pts.size() - 3], row.node);
    }
    // The path being drawn never attracts its own nodes; leaving the tool takes the mark away.
    Drag(0, {13, 21});
    EXPECT_FALSE(ui.marker.has_value());
    Drag(0, {35, 9});
    EXPECT_TRUE(ui.marker.has_value());
    context->PressTool("select");
    EXPECT_FALSE(ui.marker.has_value());
}

TEST_F(DrawTest, UndoWhileDrawingTakesOneNodeAtATimeThenThePathAndRedoRestores) {
    for (const char* name : {"path", "poly"}) {
        SCOPED_TRACE(name);
        while (Root().GetChildCount() > 0) Root().GetChild(0)->RemoveFromParent();
        Settled();
        const std::size_t steps = Steps();
        TVemoDrawState* tool = Tool(name);
        Click(ssLeft, {-50, 0});
        Click(ssLeft, {0, 20});
        context->SendCommand(ecUndo);
        ASSERT_NE(tool->CurrentPath(), nullptr);
        EXPECT_EQ(Anchors(*tool->CurrentPath()), (std::vector<PointF>{{-50, 0}}));
        context->SendCommand(ecUndo);
        EXPECT_EQ(tool->CurrentPath(), nullptr);
        EXPECT_EQ(Root().GetChildCount(), 0);
        EXPECT_EQ(context->StylePanel().ShownCount(), 0);
        context->SendCommand(ecRedo);
        ASSERT_NE(tool->CurrentPath(), nullptr);
        EXPECT_EQ(context->StylePanel().ShownCount(), 1);
        context->SendCommand(ecRedo);
        ASSERT_EQ(Root().GetChildCount(), 1);
        EXPECT_EQ(Anchors(*tool->CurrentPath()), (std::vector<PointF>{{-50, 0}, {0, 20}}));
        // Drawing goes on from the restored path and still ends as one step.
        Click(ssLeft, {50, 0});
        Down(vk::Return);
        Up(vk::Return);
        ASSERT_EQ(Root().GetChildCount(), 1);
        EXPECT_EQ(Anchors(*PathAt(0)), (std::vector<PointF>{{-50, 0}, {0, 20}, {50, 0}}));
        EXPECT_EQ(Steps(), steps + 1);

        // Undo of the first node, then a click: a new path, and the old steps cannot be redone.
        Click(ssLeft, {-60, -30});
        context->SendCommand(ecUndo);
        EXPECT_EQ(Root().GetChildCount(), 1);
        Click(ssLeft, {60, -30});
        Click(ssLeft, {60, 30});
        context->SendCommand(ecRedo);
        ASSERT_EQ(Root().GetChildCount(), 2);
        EXPECT_EQ(Anchors(*PathAt(1)), (std::vector<PointF>{{60, -30}, {60, 30}}));
        context->PressTool("select");
    }
}

TEST_F(DrawTest, SpacePansInTheMiddleOfAPathAndDrawingGoesOn) {
    TVemoDrawState* tool = Tool("path");
    Click(ssLeft, {-50, 0});
    Click(ssLeft, {0, 0});
    Down(vk::Space);
    EXPECT_EQ(typeid(*Current()), typeid(TVemoViewState));
    // A pan of 20 units to the right.
    Press(ssLeft, {0, 0});
    Drag(ssLeft, {10, 0});
    Release(0, {20, 0});
    EXPECT_FLOAT_EQ(float(Doc().GetPanX()), 20.0f);
    Up(vk::Space);
    EXPECT_EQ(Current(), tool);
    // The same pixel now shows a point 20 units further left.
    Click(ssLeft, {30, 10});
    ASSERT_NE(tool->CurrentPath(), nullptr);
    EXPECT_EQ(Anchors(*tool->CurrentPath()), (std::vector<PointF>{{-50, 0}, {0, 0}, {10, 10}}));
    // A press whose release went to the pan state still has its own undo step.
    Press(ssLeft, {30, 30});
    Down(vk::Space);
    Release(0, {30, 30});
    Up(vk::Space);
    Click(ssLeft, {40, -20});
    EXPECT_EQ(Anchors(*tool->CurrentPath()).size(), 5u);
    context->SendCommand(ecUndo);
    EXPECT_EQ(Anchors(*tool->CurrentPath()).size(), 4u);
    context->SendCommand(ecUndo);
    EXPECT_EQ(Anchors(*tool->CurrentPath()).size(), 3u);
    // Leaving the tool while panning finishes the path.
    Down(vk::Space);
    context->PressTool("select");
    Up(vk::Space);
    EXPECT_EQ(tool->CurrentPath(), nullptr);
    ASSERT_EQ(Root().GetChildCount(), 1);
    EXPECT_FALSE(PathAt(0)->IsEditingPoints());
}

TEST_F(DrawTest, LoneNodesAndPathsTakenAwayLeaveNothingBehind) {
    // A path of one node, finished or closed, would be invisible and unpickable: it is removed.
    for (bool closeIt : {false, true}) {
        SCOPED_TRACE(closeIt ? "closed" : "finished");
        Settled();
        const std::size_t steps = Steps();
        TVemoDrawState* tool = Tool("path");
        Click(ssLeft, {0, 0});
        if (closeIt)
            Click(ssLeft, {1, 1});
        else
            context->SendCommand(ecFinish);
        EXPECT_EQ(tool->CurrentPath(), nullptr);
        EXPECT_EQ(Root().GetChildCount(), 0);
        EXPECT_EQ(Steps(), steps);
        context->PressTool("select");
    }
    // Enter typed into another window's field does not finish the path.
    TVemoDrawState* tool = Tool("poly");
    Click(ssLeft, {0, 0});
    Click(ssLeft, {20, 0});
    ui.active = false;
    Down(vk::Return);
    Up(vk::Return);
    EXPECT_NE(tool->CurrentPath(), nullptr);
    ui.active = true;
    // The path leaves the document behind the tool's back (its layer was
    // deleted): the tool forgets it, and undo never touches it.
    tool->CurrentPath()->RemoveFromParent();
    context->SendCommand(ecUndo);
    EXPECT_EQ(tool->CurrentPath(), nullptr);
    Click(ssLeft, {-30, 10});
    ASSERT_EQ(Root().GetChildCount(), 1);
    EXPECT_EQ(Anchors(*PathAt(0)), (std::vector<PointF>{{-30, 10}}));
}

}  // namespace
