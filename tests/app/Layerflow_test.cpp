// A whole session on the real window: a layer is made in the panel, drawn on,
// the board saved, opened again, the layer deleted and the deletion undone.

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

#include "app/Layeredit.h"
#include "app/Layerwindow.h"
#include "app/Menus.h"
#include "boardgen/Shapes.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "tests/app/Guifixture.h"

namespace {

class LayerFlowTest : public GuiTest {};

TEST_F(LayerFlowTest, MadeDrawnSavedReopenedDeletedAndUndone) {
    auto form = Start();
    TVemoEventContext& context = *form->Context();
    app::TLayerWindow& panel = form->LayerWindow();
    app::TVemoMenus& menus = form->Menus();
    const auto layers = [&]() -> TVemoLayerList& { return context.Document().GetLayerList(); };

    // A layer from the panel's New button, named in the editor.
    {
        TModalAnswers answers;
        answers.Then([](QWidget* w) {
            auto* editor = qobject_cast<app::TLayerEdit*>(w);
            ASSERT_NE(editor, nullptr);
            editor->NameEdit()->setText("pads top");
            QTest::mouseClick(editor->ButtonOK(), Qt::LeftButton);
        });
        QTest::mouseClick(panel.ButtonNew(), Qt::LeftButton);
        ASSERT_EQ(answers.Answered(), 1);
    }
    const TVemoLayerPtr made = layers().Current();
    ASSERT_NE(made, nullptr);
    ASSERT_EQ(made->GetName(), "pads top");
    // Drawn on it. The drawing tools come with their own states; until then a
    // land is put on the current layer as the rectangle tool will, with its undo step.
    context.RootObject().AddChild(boardgen::SquarePad({500, 300}, 60, 60, 0, layers().Current()));
    context.RootObject().AddChild(boardgen::RoundPad({700, 300}, 40, layers().Current()));
    context.RecordStep(TStepKind::Root);
    Settle();

    // Saved under a new name through the dialog.
    const std::string file = Path("session.vbf");
    {
        TModalAnswers answers;
        answers.File(file);
        menus.Action("save")->trigger();
        ASSERT_EQ(answers.Answered(), 1);
    }
    EXPECT_EQ(form->windowTitle().toStdString(), file + "[*]");
    EXPECT_FALSE(context.History().IsModified());

    // A new board (nothing to ask: saved), then the file opened again.
    menus.Action("new")->trigger();
    EXPECT_EQ(form->windowTitle(), "zelko[*]");
    EXPECT_EQ(layers().Find("pads top"), nullptr);
    EXPECT_EQ(panel.RowCount(), layers().Count());
    {
        TModalAnswers answers;
        answers.File(file);
        menus.Action("open")->trigger();
        ASSERT_EQ(answers.Answered(), 1);
    }
    EXPECT_EQ(form->windowTitle().toStdString(), file + "[*]");
    EXPECT_EQ(menus.RecentAction(0)->text(), "session.vbf");
    const TVemoLayerPtr reopened = layers().Find("pads top");
    ASSERT_NE(reopened, nullptr);
    ASSERT_EQ(context.RootObject().GetChildCount(), 2);
    EXPECT_EQ(context.RootObject().GetChild(0)->GetLayer(), reopened);
    EXPECT_EQ(panel.RowCount(), layers().Count());
    // The layer drawn on last is current again, and its row says so.
    EXPECT_EQ(layers().Current(), reopened);
    for (int i = 0; i < panel.RowCount(); ++i)
        EXPECT_EQ(panel.Row(i)->Layer()->IsCurrent(), panel.Row(i)->Layer() == reopened) << i;

    // Deleted from the panel: its row made current, Del, Yes.
    app::TVemoLayerFace* row = panel.Row(reopened->GetIndex());
    ASSERT_NE(row, nullptr);
    QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(100, 12));
    ASSERT_EQ(layers().Current(), reopened);
    {
        TModalAnswers answers;
        answers.Box(QMessageBox::Yes);
        QTest::mouseClick(panel.ButtonDel(), Qt::LeftButton);
        ASSERT_EQ(answers.Answered(), 1);
    }
    EXPECT_EQ(layers().Find("pads top"), nullptr);
    EXPECT_EQ(context.RootObject().GetChildCount(), 0);
    EXPECT_TRUE(context.History().IsModified());

    // Undone from the Edit menu: the layer and both objects are back, on it.
    menus.Action("undo")->trigger();
    Settle();
    const TVemoLayerPtr back = layers().Find("pads top");
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(context.RootObject().GetChildCount(), 2);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(context.RootObject().GetChild(i)->GetLayer(), back);
    EXPECT_EQ(panel.RowCount(), layers().Count());
    EXPECT_EQ(panel.Row(back->GetIndex())->Layer(), back);
}

}  // namespace
