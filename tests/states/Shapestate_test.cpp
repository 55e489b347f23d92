// The rectangle, ellipse and text tools, driven through the context with the
// fake windows on a real document.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "history/Vemomemento.h"
#include "model/Vemoellipse.h"
#include "model/Vemogroup.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"
#include "tests/states/Gesturefixture.h"

namespace {

class ShapeToolTest : public GestureTest {
protected:
    void SnapTo(double pitch) {
        Doc().SetGrid(pitch);
        Doc().SetViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
    }
    template <class T>
    T* Last() {
        if (Root().GetChildCount() == 0) return nullptr;
        return dynamic_cast<T*>(Root().GetChild(Root().GetChildCount() - 1));
    }
    // A text "AB", 10 mm high, laid out from (x, y), on the current layer.
    TVemoString* AddText(float x, float y, TVemoGroup* into = nullptr) {
        auto text = std::make_unique<TVemoString>();
        text->SetLayer(Doc().GetLayerList().Current());
        text->SetFont(TVemoFont("DejaVu Sans", 10.0f, 0));
        text->SetText(u"AB");
        text->Translate(x, y);
        text->Deselect();
        TVemoObject* added = into ? into->AddChild(std::move(text)) : Root().AddChild(std::move(text));
        Settled();
        return static_cast<TVemoString*>(added);
    }
    static PointF Middle(const TVemoString& text) {
        const auto& c = text.GetCorners();
        return PointF((c[0].x + c[2].x) / 2, (c[0].y + c[2].y) / 2);
    }
};

TEST_F(ShapeToolTest, ClickWithoutDragLeavesNothing) {
    for (const char* tool : {"rect", "ellipse"}) {
        SCOPED_TRACE(tool);
        context->PressTool(tool);
        Settled();
        const int children = Root().GetChildCount();
        Press(ssLeft, PointF(10, 10));
        EXPECT_EQ(Root().GetChildCount(), children + 1);  // drawn while it grows
        Release(0, PointF(10, 10));
        EXPECT_EQ(Root().GetChildCount(), children);
        EXPECT_EQ(Steps(), 1u);
        EXPECT_FALSE(context->History().CanUndo());
    }
}

TEST_F(ShapeToolTest, RectangleCornersSnapToTheGrid) {
    SnapTo(12.7);
    context->PressTool("rect");
    Settled();
    Press(ssLeft, PointF(12, 3));
    Drag(ssLeft, PointF(30, 20));
    Drag(ssLeft, PointF(40, 28));
    Release(0, PointF(40, 28));
    auto* rect = Last<TVemoRect>();
    ASSERT_NE(rect, nullptr);
    const auto& w = rect->GetWorldPoints();
    EXPECT_NEAR(w[1].x, 12.7, 1e-4);
    EXPECT_NEAR(w[1].y, 0.0, 1e-4);
    EXPECT_NEAR(w[3].x, 38.1, 1e-4);
    EXPECT_NEAR(w[3].y, 25.4, 1e-4);
    EXPECT_FALSE(rect->IsSelected());
    EXPECT_EQ(rect->GetLayer(), Doc().GetLayerList().Current());
    EXPECT_EQ(Steps(), 2u);
    EXPECT_NE(dynamic_cast<const TRootObjectMemento*>(context->History().At(1)), nullptr);
    // Undo takes the rectangle away again.
    context->SendCommand(ecUndo);
    EXPECT_EQ(Last<TVemoRect>(), nullptr);
}

TEST_F(ShapeToolTest, CircleIsCentredOnThePressAndFollowsThePointer) {
    context->PressTool("ellipse");
    Press(ssLeft, PointF(20, 10));
    auto* circle = Last<TVemoEllipse>();
    ASSERT_NE(circle, nullptr);
    for (const PointF p : {PointF(23, 14), PointF(20, 40), PointF(-10, 10)}) {
        Drag(ssLeft, p);
        const auto& w = circle->GetWorldPoints();
        EXPECT_NEAR(w[0].x, 20, 1e-4);
        EXPECT_NEAR(w[0].y, 10, 1e-4);
        const double r = std::hypot(p.x - 20.0, p.y - 10.0);
        EXPECT_NEAR(std::hypot(w[1].x - 20.0, w[1].y - 10.0), r, 1e-3) << p.x << "," << p.y;
    }
    Release(0, PointF(-10, 10));
    EXPECT_EQ(Last<TVemoEllipse>(), circle);
    EXPECT_NEAR(std::hypot(circle->GetWorldPoints()[1].x - 20.0, circle->GetWorldPoints()[1].y - 10.0), 30.0,
                1e-3);
}

TEST_F(ShapeToolTest, UndoIsIgnoredWhileDragging) {
    context->PressTool("rect");
    Press(ssLeft, PointF(0, 0));
    Drag(ssLeft, PointF(10, 10));
    Release(0, PointF(10, 10));
    ASSERT_EQ(Steps(), 2u);
    Press(ssLeft, PointF(20, 20));
    Drag(ssLeft, PointF(30, 30));
    auto* growing = Last<TVemoRect>();
    context->SendCommand(ecUndo);
    context->SendCommand(ecRedo);
    EXPECT_EQ(context->History().CurrentIndex(), 1u);
    EXPECT_EQ(Root().GetChildCount(), 2);
    Release(0, PointF(30, 30));
    EXPECT_EQ(Last<TVemoRect>(), growing);
    EXPECT_EQ(Steps(), 3u);
    // Between shapes undo works.
    context->SendCommand(ecUndo);
    EXPECT_EQ(Root().GetChildCount(), 1);
}

TEST_F(ShapeToolTest, LeavingMidDragDropsTheShape) {
    context->PressTool("rect");
    Settled();
    Press(ssLeft, PointF(0, 0));
    Drag(ssLeft, PointF(10, 10));
    context->PressTool("select");
    EXPECT_EQ(Root().GetChildCount(), 0);
    EXPECT_EQ(Steps(), 1u);
}

TEST_F(ShapeToolTest, ClickOnATextOpensItAndRecordsAStepOnlyForAChange) {
    TVemoGroup* group = static_cast<TVemoGroup*>(Root().AddChild(std::make_unique<TVemoGroup>()));
    TVemoString* plain = AddText(0, 0);
    TVemoString* grouped = AddText(40, -30, group);
    context->PressTool("text");
    struct Case {
        TVemoString* text;
        bool ok;
    };
    for (const Case c : {Case{plain, false}, Case{grouped, true}}) {
        const std::size_t steps = Steps();
        const int children = Root().GetChildCount();
        ui.textAnswer = c.ok ? std::optional<std::u16string>(u"XY") : std::nullopt;
        ui.editedTexts.clear();
        Click(ssLeft, Middle(*c.text));
        ASSERT_EQ(ui.editedTexts.size(), 1u);
        EXPECT_EQ(ui.editedTexts[0], c.text);
        EXPECT_EQ(c.text->GetText(), c.ok ? u"XY" : u"AB");
        EXPECT_EQ(Root().GetChildCount(), children);
        // A cancelled edit changed nothing: no undo step, nothing to save.
        EXPECT_EQ(Steps(), steps + (c.ok ? 1 : 0));
    }
}

TEST_F(ShapeToolTest, ClickOnEmptySpacePlacesANewTextAtTheSnappedPoint) {
    SnapTo(10);
    ui.textFont = TVemoFont("DejaVu Sans", 7.0f, TVemoFont::Bold);
    context->PressTool("text");
    Settled();

    // Cancel: nothing new, no step.
    ui.textAnswer.reset();
    Click(ssLeft, PointF(21, 38));
    ASSERT_EQ(ui.editedTexts.size(), 1u);
    EXPECT_EQ(ui.editedFonts[0], *ui.textFont);
    EXPECT_EQ(Root().GetChildCount(), 0);
    EXPECT_EQ(Steps(), 1u);

    ui.textAnswer = u"R1";
    Click(ssLeft, PointF(21, 38));
    auto* text = Last<TVemoString>();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetText(), u"R1");
    EXPECT_EQ(text->GetFont(), *ui.textFont);
    EXPECT_EQ(text->GetLayer(), Doc().GetLayerList().Current());
    // Laid out from (0, 0), now from the snapped click.
    TVemoString atOrigin;
    atOrigin.SetFont(*ui.textFont);
    atOrigin.SetText(u"R1");
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(text->GetCorners()[i].x, atOrigin.GetCorners()[i].x + 20, 1e-3);
        EXPECT_NEAR(text->GetCorners()[i].y, atOrigin.GetCorners()[i].y + 40, 1e-3);
    }
    EXPECT_EQ(Steps(), 2u);
}

TEST_F(ShapeToolTest, NoFontChosenYetKeepsTheTextsDefault) {
    context->PressTool("text");
    ui.textAnswer = u"A";
    Click(ssLeft, PointF(0, 0));
    ASSERT_NE(Last<TVemoString>(), nullptr);
    EXPECT_EQ(Last<TVemoString>()->GetFont(), TVemoFont());
}

TEST_F(ShapeToolTest, TextBeamOverTexts) {
    TVemoString* text = AddText(0, 0);
    context->PressTool("text");
    Drag(0, Middle(*text));
    EXPECT_EQ(ui.cursor, -4);
    Drag(0, PointF(-50, -40));
    EXPECT_EQ(ui.cursor, 0);
}

}  // namespace
