// The rectangle, text, pad and library tools on the real editor window
// (offscreen platform) with the real text, pad and library windows.

#include <memory>
#include <string>

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "Guifixture.h"
#include "app/Styleform.h"
#include "app/Textform.h"
#include "model/Vemogroup.h"
#include "model/Vemopart.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"
#include "states/Vemoeventcontext.h"
#include "states/Vemotoolstates.h"

namespace {

class PlaceToolsTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        form = Start();
        form->activateWindow();
        Settle();
        design = form->Design();
        context = form->Context();
    }
    void TearDown() override {
        form.reset();
        GuiTest::TearDown();
    }
    void Tool(const char* name) {
        QToolButton* button = form->ToolButton(name);
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
        Settle();
    }
    TVemoPart& Root() { return context->RootObject(); }
    QPoint Middle() const { return QPoint(design->width() / 2, design->height() / 2); }

    std::unique_ptr<app::TVemoForm> form;
    QWidget* design = nullptr;
    TVemoEventContext* context = nullptr;
};

TEST_F(PlaceToolsTest, ARectangleDraggedOnTheWindow) {
    Tool("rect");
    const QPoint a = Middle() - QPoint(60, 40), b = Middle() + QPoint(60, 40);
    QTest::mousePress(design, Qt::LeftButton, {}, a);
    QTest::mouseMove(design, b);
    QTest::mouseRelease(design, Qt::LeftButton, {}, b);
    Settle();
    ASSERT_EQ(Root().GetChildCount(), 1);
    EXPECT_NE(dynamic_cast<TVemoRect*>(Root().GetChild(0)), nullptr);
    // A click alone adds nothing.
    QTest::mouseClick(design, Qt::LeftButton, {}, Middle());
    Settle();
    EXPECT_EQ(Root().GetChildCount(), 1);
}

TEST_F(PlaceToolsTest, ANewTextTypedInTheTextWindow) {
    Tool("text");
    // The window is made once and shown again: one answer set per showing.
    const auto click = [&](bool ok) {
        TModalAnswers answers;
        answers.Then([ok](QWidget* w) {
            auto* text = qobject_cast<app::TTextForm*>(w);
            ASSERT_NE(text, nullptr) << w->metaObject()->className();
            text->TextBox->setPlainText(QStringLiteral("R12"));
            (ok ? text->OkButton : text->CancelButton)->click();
        });
        QTest::mouseClick(design, Qt::LeftButton, {}, Middle());
        Settle();
        EXPECT_TRUE(answers.Done());
    };
    click(false);
    EXPECT_EQ(Root().GetChildCount(), 0);
    click(true);
    ASSERT_EQ(Root().GetChildCount(), 1);
    auto* placed = dynamic_cast<TVemoString*>(Root().GetChild(0));
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->GetText(), u"R12");
}

TEST_F(PlaceToolsTest, TheChosenPadIsPlacedWhereClicked) {
    const TVemoGroup* pad = form->SelectedPad();
    ASSERT_NE(pad, nullptr) << "the starter pads";
    Tool("pad");
    QTest::mouseClick(design, Qt::LeftButton, {}, Middle());
    Settle();
    ASSERT_EQ(Root().GetChildCount(), 1);
    auto* placed = dynamic_cast<TVemoGroup*>(Root().GetChild(0));
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->GetChildCount(), pad->GetChildCount());
    context->SendCommand(ecUndo);
    EXPECT_EQ(Root().GetChildCount(), 0);
}

TEST_F(PlaceToolsTest, CancellingTheLibraryWindowTwiceReturnsToTheSelectTool) {
    Tool("lib");
    // The window is made once and shown again: one answer set per showing.
    const auto cancelled = [&] {
        TModalAnswers answers;
        answers.Then([](QWidget* w) {
            auto* dialog = qobject_cast<QDialog*>(w);
            ASSERT_NE(dialog, nullptr) << w->metaObject()->className();
            dialog->reject();
        });
        QTest::mouseClick(design, Qt::LeftButton, {}, Middle());
        Settle();
        EXPECT_TRUE(answers.Done());
    };
    cancelled();
    EXPECT_NE(dynamic_cast<TVemoLibState*>(context->CurrentState()), nullptr);
    cancelled();
    EXPECT_NE(dynamic_cast<TVemoSelectState*>(context->CurrentState()), nullptr);
    EXPECT_TRUE(form->ToolButton("select")->isChecked());
    EXPECT_EQ(Root().GetChildCount(), 0);
}

}  // namespace
