// The selection tool driven by scripted pointer, key and command events on the
// fake windows: picking, dragging, the rubber band, right-click cycling, the
// edit commands with their undo steps, and the clipboard.

#include <cmath>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "archive/Vemo_oarchive.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "states/Vemoselectstate.h"
#include "tests/states/Statefixture.h"

namespace {

// The fixture's window is 200 x 100 pixels at zoom 1 without pan: document
// point (x, y) lies under pixel (x + 100, y + 50).
class SelectTest : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        Doc().ClearViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
        Doc().SetGrid(10.0);
    }
    TVemoDocument& Doc() { return context->Document(); }
    TVemoPart& Root() { return context->RootObject(); }
    TVemoEventState* Current() { return context->CurrentState(); }
    const std::vector<TVemoObject*>& Selection() { return context->Session().Selection(); }

    // A filled rectangle from a to b on the current layer, pen 2 (so its
    // outline reaches 1 unit beyond the corners), not selected.
    TVemoObject* AddRect(PointF a, PointF b, float width = 2.0f, bool fill = true) {
        auto rect = std::make_unique<TVemoRect>();
        rect->SetLayer(Doc().GetLayerList().Current());
        rect->SetSurface(TVemoSurface(width, fill, false));
        rect->SetCorners(a, b);
        rect->Deselect();
        TVemoObject* added = Root().AddChild(std::move(rect));
        Settled();
        return added;
    }
    // The document as it is becomes the oldest undo state, as if it had been opened so.
    void Settled() { context->History().Restart(Doc()); }
    // An open straight path through the points, pen 2.
    TVemoPath* AddPath(const std::vector<PointF>& anchors) {
        std::vector<PointF> pts;
        for (std::size_t k = 0; k < anchors.size(); ++k) {
            const PointF next = k + 1 < anchors.size() ? anchors[k + 1] : anchors[k];
            pts.insert(pts.end(), {anchors[k], anchors[k], next});
        }
        auto path = std::make_unique<TVemoPath>();
        EXPECT_TRUE(path->SetData(pts, std::vector<unsigned char>(pts.size(), 0), false));
        path->SetLayer(Doc().GetLayerList().Current());
        path->SetSurface(TVemoSurface(2.0f, false, false));
        path->Rebuild();
        path->Deselect();
        auto* added = static_cast<TVemoPath*>(Root().AddChild(std::move(path)));
        Settled();
        return added;
    }
    void Press(TShiftState shift, PointF p) { context->MouseDown(shift, int(p.x) + 100, int(p.y) + 50); }
    void Drag(TShiftState shift, PointF p) { context->MouseMove(shift, int(p.x) + 100, int(p.y) + 50); }
    void Release(TShiftState shift, PointF p) { context->MouseUp(shift, int(p.x) + 100, int(p.y) + 50); }
    void Click(TShiftState shift, PointF p) {
        Press(shift, p);
        Release(shift & ~TShiftState(ssLeft | ssRight), p);
    }
    static RectF Bounds(const TVemoObject* o) {
        RectF b;
        o->GetBounds(b);
        return b;
    }
    std::size_t Steps() { return context->History().Count(); }
};

TEST_F(SelectTest, ClickShiftClickAndDragMoveTheSelectionInOneUndoStep) {
    TVemoObject* a = AddRect({-90, -10}, {-70, 10});
    TVemoObject* b = AddRect({-50, -10}, {-30, 10});
    TVemoObject* c = AddRect({0, -10}, {20, 10});

    Click(ssLeft, {-80, 0});
    EXPECT_EQ(Selection(), (std::vector<TVemoObject*>{a}));
    Click(ssLeft | ssShift, {-40, 0});
    EXPECT_EQ(Selection(), (std::vector<TVemoObject*>{a, b}));
    EXPECT_TRUE(a->IsSelected() && b->IsSelected() && !c->IsSelected());
    EXPECT_EQ(context->StylePanel().ShownCount(), 2);

    // A press on a selected object changes nothing; the drag moves everything selected.
    const RectF a0 = Bounds(a), b0 = Bounds(b), c0 = Bounds(c);
    const std::size_t steps = Steps();
    Press(ssLeft, {-80, 0});
    EXPECT_EQ(Selection(), (std::vector<TVemoObject*>{a, b}));
    EXPECT_FLOAT_EQ(Bounds(a).x, a0.x);
    Drag(ssLeft, {-77, 4});
    Drag(ssLeft, {-75, 6});
    Release(0, {-75, 6});
    EXPECT_FLOAT_EQ(Bounds(a).x, a0.x + 5);
    EXPECT_FLOAT_EQ(Bounds(b).y, b0.y + 6);
    EXPECT_FLOAT_EQ(Bounds(c).x, c0.x);
    EXPECT_EQ(Steps(), steps + 1);
    EXPECT_TRUE(context->History().IsModified());
    // A click without a drag records nothing.
    Click(ssLeft, {-75, 6});
    EXPECT_EQ(Steps(), steps + 1);

    // One undo puts both back.
    context->SendCommand(ecUndo);
    EXPECT_TRUE(Selection().empty());
    ASSERT_EQ(Root().GetChildCount(), 3);
    EXPECT_FLOAT_EQ(Bounds(Root().GetChild(0)).x, a0.x);
    EXPECT_FLOAT_EQ(Bounds(Root().GetChild(1)).y, b0.y);
    context->SendCommand(ecRedo);
    EXPECT_FLOAT_EQ(Bounds(Root().GetChild(0)).x, a0.x + 5);

    // After an undo nothing shows as selected, also what the step did not touch.
    Click(ssLeft, {10, 0});
    context->SendCommand(ecUndo);
    context->SendCommand(ecRedo);
    for (int i = 0; i < Root().GetChildCount(); ++i) EXPECT_FALSE(Root().GetChild(i)->IsSelected()) << i;

    // A click elsewhere replaces the selection; Shift+click on empty space still clears it.
    a = Root().GetChild(0);
    c = Root().GetChild(2);
    Click(ssLeft, {-70, 6});
    Click(ssLeft, {10, 0});
    EXPECT_EQ(Selection(), (std::vector<TVemoObject*>{c}));
    EXPECT_FALSE(a->IsSelected());
    Click(ssLeft | ssShift, {60, 30});
    EXPECT_TRUE(Selection().empty());
    EXPECT_FALSE(c->IsSelected());
    EXPECT_EQ(typeid(*Current()), typeid(TVemoSelectState));
}

TEST_F(SelectTest, SnappedDragMovesInWholePitches) {
    Doc().SetViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
    TVemoObject* r = AddRect({0, 0}, {20, 20});
    const RectF r0 = Bounds(r);
    Press(ssLeft, {6, 4});  // the anchor snaps to (10, 0)
    Drag(ssLeft, {14, 4});  // less than half a pitch: nothing
    EXPECT_FLOAT_EQ(Bounds(r).x, r0.x);
    Drag(ssLeft, {16, 4});  // more than half: one pitch, the anchor moves on to (20, 0)
    EXPECT_FLOAT_EQ(Bounds(r).x, r0.x + 10);
    EXPECT_FLOAT_EQ(Bounds(r).y, r0.y);
    Drag(ssLeft, {38, 17});  // 18 and 17 from the anchor: two and two pitches
    EXPECT_FLOAT_EQ(Bounds(r).x, r0.x + 30);
    EXPECT_FLOAT_EQ(Bounds(r).y, r0.y + 20);
    Release(0, {38, 17});
    EXPECT_EQ(context->Session().anchor, PointF(40, 20));
    // The status bar shows the pointer on the grid while hovering.
    Drag(0, {-33, 14});
    EXPECT_EQ(ui.status[0], "X  -3.000000 Y   1.000000");
}

TEST_F(SelectTest, RubberBandSelectsWhatItTouchesAndGroupsAsAWhole) {
    TVemoObject* r = AddRect({0, 0}, {20, 20});  // outline from -1 to 21
    auto group = std::make_unique<TVemoGroup>();
    TVemoGroup* g = static_cast<TVemoGroup*>(Root().AddChild(std::move(group)));
    for (float x : {40.f, 70.f}) {
        auto rect = std::make_unique<TVemoRect>();
        rect->SetLayer(Doc().GetLayerList().Current());
        rect->SetSurface(TVemoSurface(2.0f, true, false));
        rect->SetCorners({x, 0}, {x + 10, 10});
        g->AddChild(std::move(rect));
    }
    Root().Deselect();
    Settled();
    context->Idle();
    const QImage overlay = context->OverlayBitmap().Image().copy();

    // A press on empty space; five pixels do not start the band, six do.
    Press(ssLeft, {-40, -40});
    EXPECT_EQ(typeid(*Current()), typeid(TVemoSelectNullState));
    Drag(ssLeft, {-35, -35});
    EXPECT_EQ(typeid(*Current()), typeid(TVemoSelectNullState));
    Drag(ssLeft, {-34, -40});
    EXPECT_EQ(typeid(*Current()), typeid(TVemoSelectRectState));
    // The band is drawn on the window, in pixels, and in no bitmap.
    Drag(ssLeft, {-2, -2});
    ASSERT_TRUE(ui.band.has_value());
    EXPECT_EQ(*ui.band, RectF(60, 10, 38, 38));
    EXPECT_EQ(context->OverlayBitmap().Image(), overlay);
    Release(0, {-2, -2});
    EXPECT_FALSE(ui.band.has_value());
    EXPECT_EQ(typeid(*Current()), typeid(TVemoSelectState));
    // Stopping one unit short of the outline's left edge selects nothing.
    Press(ssLeft, {-40, 5});
    Drag(ssLeft, {-2, 8});
    Release(0, {-2, 8});
    EXPECT_FALSE(ui.band.has_value());
    EXPECT_EQ(typeid(*Current()), typeid(TVemoSelectState));
    EXPECT_TRUE(Selection().empty());

    // Touching the outline is enough.
    Press(ssLeft, {-40, 5});
    Drag(ssLeft, {-1, 8});
    Release(0, {-1, 8});
    EXPECT_EQ(Selection(), (std::vector<TVemoObject*>{r}));

    // Over one member of a group: the whole group, and Shift does not add.
    Press(ssLeft | ssShift, {45, 30});
    Drag(ssLeft | ssShift, {35, -5});
    Release(ssShift, {35, -5});
    EXPECT_EQ(Selection(), (std::vector<TVemoObject*>{g}));
    EXPECT_TRUE(g->GetChild(0)->IsSelected() && g->GetChild(1)->IsSelected());
    EXPECT_FALSE(r->IsSelected());

    // A press on empty space and a release without moving only clears.
    Click(ssLeft, {-40, -40});
    EXPECT_TRUE(Selection().empty());
    EXPECT_FALSE(g->IsSelected());
    EXPECT_EQ(typeid(*Current()), typeid(TVemoSelectState));
}

TEST_F(SelectTest, RightClicksCycleAndCommandsActOnlyOnThePickedObject) {
    TVemoObject* objs[3] = {AddRect({0, 0}, {20, 20}), AddRect({5, 5}, {25, 25}),
                            AddRect({-5, -5}, {15, 15})};
    const auto picked = [&] {
        int n = 0, which = -1;
        for (int i = 0; i < 3; ++i)
            if (objs[i] && objs[i]->IsSelected()) ++n, which = i;
        return n == 1 ? which : -1 - n;
    };
    for (int expected : {0, 1, 2, 0, 1}) {
        Click(ssRight, {10, 10});
        EXPECT_EQ(picked(), expected);
        // The operations walk what is seen selected, not the other candidates.
        EXPECT_EQ(Selection(), (std::vector<TVemoObject*>{objs[expected]}));
    }
    // Delete removes the one the user sees selected.
    context->SendCommand(ecDelete);
    objs[1] = nullptr;
    ASSERT_EQ(Root().GetChildCount(), 2);
    EXPECT_EQ(Root().GetChild(0), objs[0]);
    EXPECT_EQ(Root().GetChild(1), objs[2]);

    // An arrow key moves only the picked one too.
    Click(ssRight, {10, 10});
    Click(ssRight, {10, 10});
    const RectF other = Bounds(objs[0]);
    ASSERT_TRUE(objs[2]->IsSelected());
    Down(vk::Right);
    Up(vk::Right);
    EXPECT_FLOAT_EQ(Bounds(objs[0]).x, other.x);
    // Right-click on empty space clears and goes through the null state.
    Press(ssRight, {-80, -40});
    EXPECT_EQ(typeid(*Current()), typeid(TVemoSelectNullState));
    Release(0, {-80, -40});
    EXPECT_EQ(picked(), -1);
}

TEST_F(SelectTest, GroupUngroupRotateMirrorAreOneUndoStepEach) {
    TVemoObject* a = AddRect({0, 0}, {20, 10});
    TVemoObject* b = AddRect({30, 0}, {40, 30});
    const std::size_t start = Steps();

    // Group needs two objects; with one selected nothing happens.
    Click(ssLeft, {10, 5});
    context->SendCommand(ecGroup);
    EXPECT_EQ(Root().GetChildCount(), 2);
    EXPECT_EQ(Steps(), start);
    // Ungroup without a group in the selection records nothing.
    context->SendCommand(ecUnGroup);
    EXPECT_EQ(Steps(), start);

    Click(ssLeft | ssShift, {35, 15});
    context->SendCommand(ecGroup);
    ASSERT_EQ(Root().GetChildCount(), 1);
    auto* group = dynamic_cast<TVemoGroup*>(Root().GetChild(0));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetChild(0), a);
    EXPECT_EQ(group->GetChild(1), b);
    EXPECT_FALSE(group->IsSelected() || a->IsSelected());
    EXPECT_TRUE(Selection().empty());
    EXPECT_EQ(Steps(), start + 1);

    // Rotate a quarter turn about the group's centre: clockwise on the screen.
    Click(ssLeft, {10, 5});
    EXPECT_EQ(Selection(), (std::vector<TVemoObject*>{group}));
    const RectF g0 = Bounds(group);
    context->SendCommand(ecRotate);
    const RectF g1 = Bounds(group);
    EXPECT_NEAR(g1.width, g0.height, 1e-3);
    EXPECT_NEAR(g1.height, g0.width, 1e-3);
    EXPECT_NEAR(g1.x + g1.width / 2, g0.x + g0.width / 2, 1e-3);
    EXPECT_NEAR(g1.y + g1.height / 2, g0.y + g0.height / 2, 1e-3);
    // a (left of the centre) turned clockwise ends up above it.
    EXPECT_LT(Bounds(a).y + Bounds(a).height, Bounds(b).y + 1e-3);
    EXPECT_EQ(Steps(), start + 2);

    context->SendCommand(ecUnGroup);
    ASSERT_EQ(Root().GetChildCount(), 2);
    EXPECT_EQ(Root().GetChild(0), a);
    EXPECT_FALSE(a->IsSelected());
    EXPECT_EQ(Steps(), start + 3);

    // Undo three times: back to the two objects side by side.
    for (int i = 0; i < 3; ++i) context->SendCommand(ecUndo);
    ASSERT_EQ(Root().GetChildCount(), 2);
    EXPECT_FLOAT_EQ(Bounds(Root().GetChild(0)).width, 22);
    EXPECT_FLOAT_EQ(Bounds(Root().GetChild(1)).y, -1);
}

TEST_F(SelectTest, MirrorFlipsAboutTheCentreAndKeepsTheDirection) {
    TVemoPath* p = AddPath({{0, 0}, {40, 0}, {40, 20}});
    Click(ssLeft, {20, 0});
    ASSERT_EQ(Selection().size(), 1u);
    const std::size_t steps = Steps();
    context->SendCommand(ecMirror);
    // Centre x = 20: the path now runs from (0, 20) back through (0, 0) to (40, 0).
    // (The round caps make the bounds, and so the centre, a little uneven.)
    const auto near = [](PointF a, PointF b) { return std::hypot(a.x - b.x, a.y - b.y) < 0.1; };
    const auto& pts = p->GetPoints();
    ASSERT_EQ(pts.size(), 9u);
    // Anchors are every third point.
    EXPECT_TRUE(near(pts[0], PointF(0, 20)));
    EXPECT_TRUE(near(pts[3], PointF(0, 0)));
    EXPECT_TRUE(near(pts[6], PointF(40, 0)));
    EXPECT_EQ(Steps(), steps + 1);

    // Reverse points walks into groups and reverses every selected leaf.
    context->SendCommand(ecReversePoints);
    EXPECT_TRUE(near(p->GetPoints()[0], PointF(40, 0)));
    EXPECT_EQ(Steps(), steps + 2);
}

TEST_F(SelectTest, KeyboardMovesAndShortcuts) {
    TVemoObject* r = AddRect({0, 0}, {20, 20});
    const RectF r0 = Bounds(r);
    Click(ssLeft, {10, 10});
    const std::size_t steps = Steps();
    // Three key-downs (the first and two repeats), one release: one undo step.
    context->KeyDown(vk::Right);
    context->KeyDown(vk::Right, true);
    context->KeyDown(vk::Right, true);
    EXPECT_FLOAT_EQ(Bounds(r).x, r0.x + 30);
    context->KeyUp(vk::Right);
    context->KeyDown(vk::Up);
    context->KeyUp(vk::Up);
    EXPECT_FLOAT_EQ(Bounds(r).y, r0.y - 10);
    EXPECT_EQ(Steps(), steps + 2);
    context->SendCommand(ecUndo);
    EXPECT_FLOAT_EQ(Bounds(Root().GetChild(0)).x, r0.x + 30);
    EXPECT_FLOAT_EQ(Bounds(Root().GetChild(0)).y, r0.y);
    r = Root().GetChild(0);

    // While another window is active the keys leave the objects alone.
    Click(ssLeft, {40, 10});
    ui.active = false;
    Down(vk::Left);
    Up(vk::Left);
    EXPECT_FLOAT_EQ(Bounds(r).x, r0.x + 30);
    ui.active = true;

    // Ctrl+R, Ctrl+M, Ctrl+G, Ctrl+Shift+G.
    TVemoObject* s = AddRect({60, 0}, {80, 10});
    Click(ssLeft | ssShift, {70, 5});
    ASSERT_EQ(Selection().size(), 2u);
    const std::size_t before = Steps();
    Down(vk::Control);
    Down('G');
    Up('G');
    EXPECT_EQ(Root().GetChildCount(), 1);
    Click(ssLeft, {40, 10});
    Down('R');
    Up('R');
    Down('M');
    Up('M');
    Down(vk::Shift);
    Down('G');
    Up('G');
    Up(vk::Shift);
    Up(vk::Control);
    EXPECT_EQ(Root().GetChildCount(), 2);
    EXPECT_EQ(Steps(), before + 4);
    // Holding another tracked key defeats a combination: Ctrl+X+G is not Ctrl+G.
    Click(ssLeft, {40, 10});
    Click(ssLeft | ssShift, {70, 5});
    (void)s;
    Down(vk::Control);
    Down('X');
    Down('G');
    Up('G');
    Up('X');
    Up(vk::Control);
    EXPECT_EQ(Root().GetChildCount(), 2);
}

TEST_F(SelectTest, CtrlOneAddsOffsetCopiesOfAPathAsAnUndoStep) {
    AddPath({{-40, 0}, {40, 0}});
    Click(ssLeft, {0, 0});
    const std::size_t steps = Steps();
    Down(vk::Control);
    Down('1');
    Up('1');
    Up(vk::Control);
    ASSERT_EQ(Root().GetChildCount(), 3);
    // 2 mm to the left of the direction of travel (-y) and to the right.
    EXPECT_NEAR(Bounds(Root().GetChild(1)).y + 1, -20, 1e-3);
    EXPECT_NEAR(Bounds(Root().GetChild(2)).y + 1, 20, 1e-3);
    EXPECT_EQ(Steps(), steps + 1);
    EXPECT_TRUE(context->History().IsModified());
    context->SendCommand(ecUndo);
    EXPECT_EQ(Root().GetChildCount(), 1);
}

TEST_F(SelectTest, NumericModeTransformsTheSelectionOnTheNextClick) {
    Doc().SetViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
    TVemoObject* r = AddRect({0, 0}, {20, 20});
    Click(ssLeft, {10, 10});
    const RectF r0 = Bounds(r);
    const std::size_t steps = Steps();
    context->MenuControl().UserClick(*context->MenuControl().Find("numeric"));
    EXPECT_EQ(typeid(*Current()), typeid(TVemoSelectNumericState));
    EXPECT_TRUE(context->MenuControl().Find("numeric")->IsDown());

    // Cancelled: nothing moves, and the mode ends with the button up.
    Press(ssLeft, {23, 14});
    ASSERT_EQ(ui.numericAnchors.size(), 1u);
    EXPECT_EQ(ui.numericAnchors.back(), PointF(20, 10));
    EXPECT_EQ(typeid(*Current()), typeid(TVemoSelectState));
    EXPECT_FALSE(context->MenuControl().Find("numeric")->IsDown());
    EXPECT_EQ(Steps(), steps);

    // OK: the dialog's transform, one undo step.
    ui.numeric = Matrix();
    ui.numeric->Translate(15, -5);
    context->SendCommand(ecNumeric);
    Press(ssLeft, {-50, -30});
    EXPECT_FLOAT_EQ(Bounds(r).x, r0.x + 15);
    EXPECT_FLOAT_EQ(Bounds(r).y, r0.y - 5);
    EXPECT_EQ(Steps(), steps + 1);
    EXPECT_EQ(typeid(*Current()), typeid(TVemoSelectState));

    // Escape ends the mode without a dialog.
    context->SendCommand(ecNumeric);
    context->MenuControl().Find("numeric")->SetDown(true);
    Down(vk::Escape);
    Up(vk::Escape);
    EXPECT_EQ(typeid(*Current()), typeid(TVemoSelectState));
    EXPECT_FALSE(context->MenuControl().Find("numeric")->IsDown());
    EXPECT_EQ(ui.numericAnchors.size(), 2u);
}

TEST_F(SelectTest, CopyPasteCutAndTheClipboardBytes) {
    TVemoObject* a = AddRect({0, 0}, {20, 20});
    TVemoPath* p = AddPath({{40, 0}, {60, 10}});
    const RectF a0 = Bounds(a), p0 = Bounds(p);
    // Nothing selected: copy leaves the clipboard alone.
    context->SendCommand(ecCopy);
    EXPECT_FALSE(ui.clipboard.has_value());

    Click(ssLeft, {10, 10});
    Click(ssLeft | ssShift, {50, 5});
    const std::size_t steps = Steps();
    context->SendCommand(ecCopy);
    ASSERT_TRUE(ui.clipboard.has_value());
    EXPECT_EQ(*ui.clipboard, WriteClipboardObjects({a, p}));
    EXPECT_EQ(ui.clipboard->substr(0, 7), "Vemo2.0");
    EXPECT_EQ(Steps(), steps);

    // Paste in place: exact copies over the originals, and only they selected.
    context->SendCommand(ecPaste);
    ASSERT_EQ(Root().GetChildCount(), 4);
    EXPECT_EQ(Bounds(Root().GetChild(2)), a0);
    EXPECT_EQ(Bounds(Root().GetChild(3)), p0);
    EXPECT_FALSE(a->IsSelected());
    EXPECT_EQ(Selection(), (std::vector<TVemoObject*>{Root().GetChild(2), Root().GetChild(3)}));
    EXPECT_EQ(Steps(), steps + 1);
    EXPECT_EQ(dynamic_cast<const TObjectsMemento*>(context->History().At(context->History().CurrentIndex())),
              nullptr);

    // Cut removes and keeps the bytes; pasting brings them back.
    context->SendCommand(ecCut);
    EXPECT_EQ(Root().GetChildCount(), 2);
    EXPECT_EQ(Steps(), steps + 2);
    context->SendCommand(ecPaste);
    EXPECT_EQ(Root().GetChildCount(), 4);

    // Data that is not ours changes nothing and records nothing.
    ui.clipboard = std::string("not a board");
    const std::size_t now = Steps();
    context->SendCommand(ecPaste);
    EXPECT_EQ(Root().GetChildCount(), 4);
    EXPECT_EQ(Steps(), now);
}

TEST_F(SelectTest, PasteBringsUnknownLayersWithAnObjectsStep) {
    // Bytes from another document, one object on a layer this one lacks.
    auto layer = std::make_shared<TVemoLayer>(0xFF123456u, "mystery");
    auto rect = std::make_unique<TVemoRect>();
    rect->SetLayer(layer);
    rect->SetSurface(TVemoSurface(2.0f, true, false));
    rect->SetCorners({0, 0}, {10, 10});
    ui.clipboard = WriteClipboardObjects({rect.get()});

    const int layers = Doc().GetLayerList().Count();
    const int refreshes = ui.layerRefreshes;
    context->SendCommand(ecPaste);
    ASSERT_EQ(Root().GetChildCount(), 1);
    EXPECT_EQ(Doc().GetLayerList().Count(), layers + 1);
    ASSERT_NE(Doc().GetLayerList().Find("mystery"), nullptr);
    EXPECT_EQ(Root().GetChild(0)->GetLayer(), Doc().GetLayerList().Find("mystery"));
    EXPECT_NE(dynamic_cast<const TObjectsMemento*>(context->History().At(context->History().CurrentIndex())),
              nullptr);
    EXPECT_EQ(ui.layerRefreshes, refreshes + 1);
    // One undo takes the layer and the object away together.
    context->SendCommand(ecUndo);
    EXPECT_EQ(Root().GetChildCount(), 0);
    EXPECT_EQ(Doc().GetLayerList().Find("mystery"), nullptr);
}

TEST_F(SelectTest, ChangingToolsDeselectsEverything) {
    TVemoObject* r = AddRect({0, 0}, {20, 20});
    Click(ssLeft, {10, 10});
    ASSERT_TRUE(r->IsSelected());
    EXPECT_EQ(context->StylePanel().ShownCount(), 1);
    context->PressTool("rect");
    EXPECT_FALSE(r->IsSelected());
    EXPECT_TRUE(Selection().empty());
    EXPECT_EQ(context->StylePanel().ShownCount(), 0);
    // The rectangle's style became the one new objects get.
    EXPECT_FLOAT_EQ(context->StylePanel().CurrentSurface().GetWidth(), 2.0f);
    EXPECT_TRUE(context->StylePanel().CurrentSurface().GetFill());
}

}  // namespace
