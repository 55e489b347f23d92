// The style panel's model: what its controls show for a selection, and the
// edits they make to the selected objects or to the style of new objects.

#include <memory>
#include <vector>

#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"
#include "model/Vemorectangle.h"
#include "states/Vemostylepanel.h"
#include "tests/states/Statefixture.h"

namespace {

class StylePanelTest : public StateTest {
protected:
    TVemoStylePanel& Panel() { return context->StylePanel(); }
    TVemoObject* AddRect(float width, bool fill) {
        auto rect = std::make_unique<TVemoRect>();
        rect->SetLayer(context->Document().GetLayerList().Current());
        rect->SetSurface(TVemoSurface(width, fill, false));
        rect->SetCorners({0, 0}, {10, 10});
        rect->Deselect();
        TVemoObject* added = context->RootObject().AddChild(std::move(rect));
        context->History().Restart(context->Document());
        return added;
    }
    static float Width(TVemoObject* o) { return o->GetSurface()->GetWidth(); }
    std::size_t Steps() { return context->History().Count(); }
};

TEST_F(StylePanelTest, DifferentWidthsShowEmptyAndOneTypedWidthReachesAll) {
    TVemoObject* a = AddRect(5, false);
    TVemoObject* b = AddRect(10, true);
    Panel().ShowStyles({a, b});
    EXPECT_EQ(Panel().WidthText(), "");
    EXPECT_EQ(Panel().Mixed(), TVemoSurface::DiffWidth | TVemoSurface::DiffFill);
    EXPECT_EQ(Panel().Fill(), std::nullopt);
    EXPECT_EQ(Panel().CutOut(), std::optional<bool>(false));
    EXPECT_EQ(Panel().Join(), 2);

    // 0.8 mm reaches both, clears the mixed width, and is one undo step.
    const std::size_t steps = Steps();
    EXPECT_TRUE(Panel().TypeWidth(0.8));
    EXPECT_FLOAT_EQ(Width(a), 8);
    EXPECT_FLOAT_EQ(Width(b), 8);
    EXPECT_EQ(Panel().Mixed() & TVemoSurface::DiffWidth, 0);
    EXPECT_EQ(Steps(), steps + 1);
    // The same value again changes nothing and records nothing.
    EXPECT_FALSE(Panel().TypeWidth(0.8));
    EXPECT_EQ(Steps(), steps + 1);

    // 0 reaches only the filled style.
    EXPECT_TRUE(Panel().TypeWidth(0));
    EXPECT_FLOAT_EQ(Width(a), 8);
    EXPECT_FLOAT_EQ(Width(b), 0);
    EXPECT_EQ(Panel().WidthText(), "");

    // 300 mm is refused, 299.9 applied.
    EXPECT_FALSE(Panel().TypeWidth(300));
    EXPECT_FLOAT_EQ(Width(a), 8);
    EXPECT_TRUE(Panel().TypeWidth(299.9));
    EXPECT_FLOAT_EQ(Width(a), 2999);
    EXPECT_FALSE(Panel().TypeWidth(-1));

    // Undo brings the widths back one step at a time.
    context->SendCommand(ecUndo);
    EXPECT_FLOAT_EQ(Width(context->RootObject().GetChild(0)), 8);
}

TEST_F(StylePanelTest, UndecidedFillAndCutOutBecomeOneValueForAll) {
    TVemoObject* a = AddRect(5, false);
    TVemoObject* b = AddRect(0.5f, true);
    Panel().ShowStyles({a, b});
    ASSERT_EQ(Panel().Fill(), std::nullopt);
    const std::size_t steps = Steps();
    // Clicking the undecided fill box sets fill off everywhere (and the thin
    // filled width is raised to the least an unfilled one may have).
    EXPECT_TRUE(Panel().SetFill(false));
    EXPECT_EQ(Panel().Fill(), std::optional<bool>(false));
    EXPECT_FALSE(b->GetSurface()->GetFill());
    EXPECT_FLOAT_EQ(Width(b), 1);
    EXPECT_EQ(Steps(), steps + 1);

    EXPECT_TRUE(Panel().SetCutOut(true));
    EXPECT_TRUE(a->GetSurface()->GetCutOut() && b->GetSurface()->GetCutOut());
    EXPECT_TRUE(Panel().SetBevel());
    EXPECT_EQ(a->GetSurface()->GetJoin(), 1);
    EXPECT_EQ(b->GetSurface()->GetCap(), 1);
    EXPECT_EQ(Panel().Join(), 1);
    EXPECT_TRUE(Panel().SetDash(3));
    EXPECT_EQ(Panel().Dash(), 3);
    EXPECT_FALSE(Panel().SetDash(5));
    EXPECT_EQ(Steps(), steps + 4);
}

TEST_F(StylePanelTest, TheLastObjectShownAloneGivesNewObjectsItsStyle) {
    EXPECT_FLOAT_EQ(Panel().CurrentSurface().GetWidth(), 7.5f);
    EXPECT_EQ(Panel().WidthText(), "0.75");
    TVemoObject* a = AddRect(12.7f, true);
    TVemoObject* b = AddRect(20, false);
    // Two shown: the current style is kept.
    Panel().ShowStyles({a, b});
    Panel().ClearStyles();
    EXPECT_FLOAT_EQ(Panel().CurrentSurface().GetWidth(), 7.5f);
    // One shown, then nothing (a click on empty space): that one's style.
    Panel().ShowStyle(a);
    EXPECT_EQ(Panel().WidthText(), "1.27");
    Panel().ClearStyles();
    EXPECT_FLOAT_EQ(Panel().CurrentSurface().GetWidth(), 12.7f);
    EXPECT_TRUE(Panel().CurrentSurface().GetFill());
    // With nothing shown the controls edit the current style and no object.
    const std::size_t steps = Steps();
    EXPECT_FALSE(Panel().TypeWidth(2));
    EXPECT_FALSE(Panel().SetFill(false));
    EXPECT_FLOAT_EQ(Panel().CurrentSurface().GetWidth(), 20);
    EXPECT_FALSE(Panel().CurrentSurface().GetFill());
    EXPECT_FLOAT_EQ(Width(a), 12.7f);
    EXPECT_EQ(Steps(), steps);
    // A group has no style of its own and shows nothing.
    auto group = std::make_unique<TVemoGroup>();
    TVemoObject* g = context->RootObject().AddChild(std::move(group));
    Panel().ShowStyle(g);
    EXPECT_EQ(Panel().ShownCount(), 0);
}

TEST_F(StylePanelTest, ObjectsRemovedBehindThePanelsBackAreForgotten) {
    TVemoObject* a = AddRect(5, false);
    TVemoObject* b = AddRect(10, false);
    Panel().ShowStyles({a, b});
    // Someone deletes an object without clearing the panel first.
    b->RemoveFromParent();
    EXPECT_TRUE(Panel().TypeWidth(3));
    EXPECT_FLOAT_EQ(Width(a), 30);
    EXPECT_EQ(Panel().ShownCount(), 1);
}

}  // namespace
