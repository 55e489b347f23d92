// The layer panel, the layer editor and the layer replacement dialog on the
// real windows, driven with real clicks, drags and keys.

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>

#include "app/Layeredit.h"
#include "app/Layerwindow.h"
#include "app/Menus.h"
#include "app/Styleform.h"
#include "app/Swaplayerform.h"
#include "app/Versionform.h"
#include "archive/Vemodocumentfile.h"
#include "boardgen/Hostile.h"
#include "boardgen/Shapes.h"
#include "model/Vemorectangle.h"
#include "tests/app/Guifixture.h"

namespace {

using app::TLayerWindow;
using app::TVemoLayerFace;

class LayerWindowTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        form = Start();
        context = form->Context();
        panel = &form->LayerWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    }
    void TearDown() override {
        form.reset();
        GuiTest::TearDown();
    }
    TVemoLayerList& Layers() { return context->Document().GetLayerList(); }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        names.reserve(std::size_t(Layers().Count()));
        for (int i = 0; i < Layers().Count(); ++i) names.push_back(Layers().At(i)->GetName());
        return names;
    }
    std::vector<std::string> RowNames() {
        std::vector<std::string> names;
        names.reserve(std::size_t(panel->RowCount()));
        for (int i = 0; i < panel->RowCount(); ++i) names.push_back(panel->Row(i)->Layer()->GetName());
        return names;
    }
    TVemoLayerFace* Row(const std::string& name) {
        for (int i = 0; i < panel->RowCount(); ++i)
            if (panel->Row(i)->Layer()->GetName() == name) return panel->Row(i);
        return nullptr;
    }
    static void Press(QWidget* row, int x) { QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(x, 12)); }
    // What the platform delivers for a double click: press, release, double click, release.
    static void DoubleClick(QWidget* row, int x) {
        const QPoint at(x, 12);
        QTest::mouseClick(row, Qt::LeftButton, {}, at);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(at), QPointF(row->mapToGlobal(at)),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(row, &dbl);
        QTest::mouseRelease(row, Qt::LeftButton, {}, at);
    }
    // A filled rectangle on layer, added as a tool would, with its undo step.
    TVemoObject* Draw(const TVemoLayerPtr& layer, PointF at) {
        TVemoObject* object = context->RootObject().AddChild(boardgen::SquarePad(at, 40, 20, 0, layer));
        context->History().SaveRootMemento(context->Document());
        return object;
    }
    // Answers the layer editor: name typed, then OK (or Cancel when name is null).
    static TModalAnswers::Answer Editor(const char* name) {
        return [name](QWidget* w) {
            auto* editor = qobject_cast<app::TLayerEdit*>(w);
            ASSERT_NE(editor, nullptr) << w->metaObject()->className();
            if (!name) {
                QTest::mouseClick(editor->ButtonCancel(), Qt::LeftButton);
                return;
            }
            editor->NameEdit()->setText(QString::fromUtf8(name));
            QTest::mouseClick(editor->ButtonOK(), Qt::LeftButton);
        };
    }

    std::unique_ptr<app::TVemoForm> form;
    TVemoEventContext* context = nullptr;
    TLayerWindow* panel = nullptr;
};

TEST_F(LayerWindowTest, RowsFollowTheListAndPressesHitPicturesOrName) {
    EXPECT_EQ(panel->windowTitle(), "レイヤ");
    EXPECT_EQ(RowNames(), Names());
    ASSERT_EQ(panel->RowCount(), 9);
    // Rows fill the panel's width, less a scroll bar's room at most.
    EXPECT_GE(panel->Row(0)->width(), panel->width() - 25);
    TVemoLayerFace* row = panel->Row(2);
    const TVemoLayerPtr layer = row->Layer();
    ASSERT_TRUE(layer->IsVisible());
    ASSERT_FALSE(layer->IsLocked());
    const std::size_t steps = context->History().Count();

    Press(row, 23);  // the eye
    EXPECT_FALSE(layer->IsVisible());
    EXPECT_FALSE(layer->IsLocked());
    EXPECT_TRUE(context->RedrawPending());
    Press(row, 0);
    EXPECT_TRUE(layer->IsVisible());
    Press(row, 24);  // the lock
    EXPECT_TRUE(layer->IsLocked());
    EXPECT_TRUE(layer->IsVisible());
    Press(row, 47);
    EXPECT_FALSE(layer->IsLocked());
    EXPECT_FALSE(layer->IsCurrent());
    Press(row, 48);  // the name: current
    EXPECT_TRUE(layer->IsCurrent());
    EXPECT_EQ(Layers().Current(), layer);
    EXPECT_TRUE(layer->IsVisible());
    EXPECT_FALSE(layer->IsLocked());
    // None of these is an undo step.
    EXPECT_EQ(context->History().Count(), steps);

    // A double click at x = 48 selects without opening the editor; further right it opens it.
    TModalAnswers answers;
    answers.Then(Editor(nullptr));
    DoubleClick(panel->Row(4), 48);
    Settle();
    EXPECT_EQ(answers.Answered(), 0);
    EXPECT_TRUE(panel->Row(4)->Layer()->IsCurrent());
    DoubleClick(panel->Row(4), 49);
    EXPECT_EQ(answers.Answered(), 1);
    EXPECT_EQ(context->History().Count(), steps);  // cancelled: nothing recorded
}

TEST_F(LayerWindowTest, NewMakesUniqueNamesBeforeTheCurrentLayerAndCancelAddsNothing) {
    const int count = Layers().Count();
    const int current = Layers().Current()->GetIndex();
    {
        TModalAnswers answers;
        answers.Then(Editor(nullptr));
        QTest::mouseClick(panel->ButtonNew(), Qt::LeftButton);
        EXPECT_EQ(answers.Answered(), 1);
    }
    EXPECT_EQ(Layers().Count(), count);
    for (const char* expected : {"new layer", "new layer0"}) {
        TModalAnswers answers;
        answers.Then(Editor("new layer"));
        const std::size_t steps = context->History().Count();
        QTest::mouseClick(panel->ButtonNew(), Qt::LeftButton);
        ASSERT_EQ(answers.Answered(), 1);
        const TVemoLayerPtr made = Layers().Current();
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->GetName(), expected);
        EXPECT_EQ(made->GetIndex(), current);  // before the layer that was current
        EXPECT_EQ(made->GetOpaqueColour(), 0xFF0000FFu);
        EXPECT_EQ(context->History().Count(), steps + 1);
        EXPECT_EQ(RowNames(), Names());
        EXPECT_TRUE(context->RedrawPending());
    }
    EXPECT_EQ(Layers().Count(), count + 2);
}

TEST_F(LayerWindowTest, DraggingLayerThreeOntoLayerOneShowsTheLineAndMovesIt) {
    const std::vector<std::string> before = Names();
    TVemoLayerFace* source = panel->Row(3);
    TVemoLayerFace* target = panel->Row(1);
    const QPoint from(100, 12);
    QTest::mousePress(source, Qt::LeftButton, {}, from);
    const auto move = [&](QPoint local) {
        QMouseEvent event(QEvent::MouseMove, QPointF(local), QPointF(source->mapToGlobal(local)),
                          Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(source, &event);
    };
    move(from + QPoint(0, -3));  // within the threshold: no drag yet
    EXPECT_EQ(target->DropLine(), TVemoLayerFace::TDropLine::None);
    const auto over = [&](QWidget* row) { return source->mapFromGlobal(row->mapToGlobal(QPoint(100, 12))); };
    const QPoint onTarget = over(target);
    move(onTarget);
    EXPECT_EQ(target->DropLine(), TVemoLayerFace::TDropLine::Top);
    // Over a row below the source the line is at that row's bottom.
    move(over(panel->Row(5)));
    EXPECT_EQ(target->DropLine(), TVemoLayerFace::TDropLine::None);
    EXPECT_EQ(panel->Row(5)->DropLine(), TVemoLayerFace::TDropLine::Bottom);
    move(onTarget);
    const std::size_t steps = context->History().Count();
    QTest::mouseRelease(source, Qt::LeftButton, {}, onTarget);
    Settle();
    const std::vector<std::string> after = Names();
    EXPECT_EQ(after[1], before[3]);
    EXPECT_EQ(after[2], before[1]);
    EXPECT_EQ(after[3], before[2]);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(Layers().Current()->GetName(), before[3]);
    EXPECT_EQ(RowNames(), after);
    for (int i = 0; i < panel->RowCount(); ++i)
        EXPECT_EQ(panel->Row(i)->DropLine(), TVemoLayerFace::TDropLine::None);
    EXPECT_EQ(context->History().Count(), steps + 1);

    // Dropped on itself: nothing.
    TVemoLayerFace* row = panel->Row(2);
    QTest::mousePress(row, Qt::LeftButton, {}, from);
    QMouseEvent away(QEvent::MouseMove, QPointF(from + QPoint(20, 0)),
                     QPointF(row->mapToGlobal(from + QPoint(20, 0))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(row, &away);
    QTest::mouseRelease(row, Qt::LeftButton, {}, from + QPoint(20, 0));
    EXPECT_EQ(Names(), after);
    EXPECT_EQ(context->History().Count(), steps + 1);
}

TEST_F(LayerWindowTest, DelRemovesTheCurrentLayerWithItsObjectsAsOneStep) {
    const TVemoLayerPtr solder = Layers().Find("solder");
    const TVemoLayerPtr component = Layers().Find("component");
    Draw(solder, {100, 100});
    Draw(solder, {200, 100});
    Draw(component, {300, 100});
    Press(Row("solder"), 100);
    ASSERT_EQ(Layers().Current(), solder);
    const int count = Layers().Count();
    const int index = solder->GetIndex();

    {  // No keeps everything.
        TModalAnswers answers;
        answers.Box(QMessageBox::No,
                    "レイヤーに関連付けられているオブジェクトも削除されますが、よろしいですか？");
        QTest::mouseClick(panel->ButtonDel(), Qt::LeftButton);
        EXPECT_EQ(answers.Answered(), 1);
    }
    EXPECT_EQ(Layers().Count(), count);
    {
        TModalAnswers answers;
        answers.Box(QMessageBox::Yes);
        QTest::mouseClick(panel->ButtonDel(), Qt::LeftButton);
    }
    EXPECT_EQ(Layers().Count(), count - 1);
    EXPECT_EQ(Layers().Find("solder"), nullptr);
    EXPECT_EQ(context->RootObject().GetChildCount(), 1);
    EXPECT_EQ(Layers().Current()->GetIndex(), index);  // the following layer
    EXPECT_EQ(RowNames(), Names());

    // Undo brings back the layer and its objects, on that layer.
    ASSERT_TRUE(context->History().Undo(context->Document()));
    context->Ui().RefreshLayers();
    const TVemoLayerPtr back = Layers().Find("solder");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(context->RootObject().GetChildCount(), 3);
    EXPECT_EQ(context->RootObject().GetChild(0)->GetLayer(), back);
    EXPECT_EQ(RowNames(), Names());
}

TEST_F(LayerWindowTest, DeletingTheLastLayerLeavesNoCurrentLayerAndASecondDelDoesNothing) {
    const int last = Layers().Count() - 1;
    const std::string lastName = Layers().At(last)->GetName();
    Press(panel->Row(last), 100);
    {
        TModalAnswers answers;
        answers.Box(QMessageBox::Yes).Box(QMessageBox::Yes);
        QTest::mouseClick(panel->ButtonDel(), Qt::LeftButton);
        EXPECT_EQ(Layers().Current(), nullptr);
        EXPECT_EQ(Layers().Count(), last);
        const std::size_t steps = context->History().Count();
        QTest::mouseClick(panel->ButtonDel(), Qt::LeftButton);
        EXPECT_EQ(answers.Answered(), 2);
        EXPECT_EQ(Layers().Count(), last);
        EXPECT_EQ(context->History().Count(), steps);
    }
    for (int i = 0; i < panel->RowCount(); ++i) EXPECT_NE(panel->Row(i)->Layer()->GetName(), lastName);
}

TEST_F(LayerWindowTest, EditorRefusesNamesTheFileCannotHoldAndAppliesAtOnce) {
    const TVemoLayerPtr solder = Layers().Find("solder");
    solder->SetTextOutput(true);
    TVemoObject* object = Draw(solder, {100, 100});
    int messages = 0;
    std::vector<std::string> texts;
    const auto refused = [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        ++messages;
        texts.push_back(box->text().toStdString());
        box->button(QMessageBox::Ok)->click();
    };
    const auto type = [](const char* name) {
        return [name](QWidget* w) {
            auto* editor = qobject_cast<app::TLayerEdit*>(w);
            ASSERT_NE(editor, nullptr);
            editor->NameEdit()->setText(QString::fromUtf8(name));
            QTest::mouseClick(editor->ButtonOK(), Qt::LeftButton);
        };
    };
    TModalAnswers answers;
    answers
        .Then([](QWidget* w) {
            auto* editor = qobject_cast<app::TLayerEdit*>(w);
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(editor->NameEdit()->text(), "solder");
            EXPECT_TRUE(editor->TextDrawCheckBox()->isChecked());
            EXPECT_FALSE(editor->MaskCheckBox()->isChecked());
            editor->NameEdit()->setText("");
            QTest::mouseClick(editor->ButtonOK(), Qt::LeftButton);
        })
        .Then(refused)
        .Then(type("component"))  // another layer's name
        .Then(refused)
        .Then(type("copper \xF0\x9F\x98\x80"))  // an emoji: not in the file's encoding
        .Then(refused)
        .Then([](QWidget* w) {
            auto* editor = qobject_cast<app::TLayerEdit*>(w);
            ASSERT_NE(editor, nullptr);
            // A new colour through the chooser, then the name; Enter is OK.
            QTimer::singleShot(0, [] {});
            editor->NameEdit()->setText(QStringLiteral("bottom copper 裏"));
            editor->OpaqueCheckBox()->setChecked(true);
            QTimer::singleShot(50, [] {
                if (auto* chooser = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
                    chooser->setCurrentColor(QColor(0x10, 0x80, 0x20));
                    chooser->accept();
                }
            });
            QTest::mouseClick(editor->PalletBox(), Qt::LeftButton);
            QTest::keyClick(editor->NameEdit(), Qt::Key_Return);
        });
    const std::size_t steps = context->History().Count();
    DoubleClick(Row("solder"), 100);
    Settle();
    EXPECT_EQ(messages, 3);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_NE(texts[1].find("component"), std::string::npos) << texts[1];
    EXPECT_EQ(solder->GetName(), "bottom copper 裏");
    EXPECT_TRUE(solder->IsTextOutput());  // kept: the box was left checked
    EXPECT_TRUE(solder->IsOpaque());      // Enter applies the boxes as OK does
    EXPECT_EQ(solder->GetOpaqueColour(), 0xFF108020u);
    EXPECT_EQ(context->History().Count(), steps + 1);
    // The objects show the new colour at once, and the picture is redrawn.
    EXPECT_EQ(static_cast<TVemoInstance*>(object)->GetSurface()->GetBrush().colour, 0xFF108020u);
    Settle();
    TVemoDocument& doc = context->Document();
    const int px = int((100 + doc.GetPanX()) * doc.GetZoom() + doc.GetWindowWidth() * 0.5);
    const int py = int((100 + doc.GetPanY()) * doc.GetZoom() + doc.GetWindowHeight() * 0.5);
    EXPECT_EQ(context->MainBitmap().Pixel(px, py), 0x108020u);
    EXPECT_EQ(Row("bottom copper 裏"), panel->Row(solder->GetIndex()));
    // The name survives the file.
    EXPECT_TRUE(
        app::TLayerEdit::NameProblem(QStringLiteral("bottom copper 裏"), solder.get(), &Layers()).isEmpty());
}

TEST(LayerEditTest, ACutOutLayerKeepsItsOwnColour) {
    // It is painted in the cut-out colour; OK must not make that its colour.
    auto layer = std::make_shared<TVemoLayer>(0xFF123456u, "cut");
    layer->SetCutOut(true);
    ASSERT_NE(layer->GetEffectiveColour() & 0xFFFFFFu, 0x123456u);
    app::TLayerEdit editor;
    editor.LoadLayer(layer);
    EXPECT_TRUE(editor.MaskCheckBox()->isChecked());
    EXPECT_EQ(editor.Colour(), QColor(0x12, 0x34, 0x56));
    QTest::mouseClick(editor.ButtonOK(), Qt::LeftButton);
    EXPECT_EQ(layer->GetOpaqueColour(), 0xFF123456u);
    EXPECT_TRUE(layer->IsCutOut());
}

TEST_F(LayerWindowTest, SwapDialogMovesSelectedObjectsAndRemembersTheTable) {
    const TVemoLayerPtr solder = Layers().Find("solder");
    TVemoObject* moved = Draw(solder, {100, 100});
    TVemoObject* kept = Draw(solder, {200, 100});
    moved->Select();
    app::TSwapLayerForm& swap = form->SwapLayerForm();
    const auto choose = [](const char* from, const char* to) {
        return [from, to](QWidget* w) {
            auto* dialog = qobject_cast<app::TSwapLayerForm*>(w);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), "レイヤーの置換");
            auto* box = dialog->findChild<QComboBox*>(QStringLiteral("dest:") + from);
            ASSERT_NE(box, nullptr);
            if (to) box->setCurrentText(QString::fromUtf8(to));
            QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        };
    };
    {
        TModalAnswers answers;
        answers.Then(choose("solder", "component"));
        form->Menus().Action("swap_layer")->trigger();
        EXPECT_EQ(answers.Answered(), 1);
    }
    EXPECT_EQ(moved->GetLayer(), Layers().Find("component"));
    EXPECT_EQ(kept->GetLayer(), solder);
    EXPECT_EQ(swap.Remembered().at("solder"), "component");
    EXPECT_EQ(swap.Remembered().at("hole"), "");

    // Opened again: the table shows what was confirmed; a new name makes a layer.
    int layers = Layers().Count();
    {
        TModalAnswers answers;
        answers.Then([](QWidget* w) {
            auto* dialog = qobject_cast<app::TSwapLayerForm*>(w);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->findChild<QComboBox*>("dest:solder")->currentText(), "component");
            EXPECT_EQ(dialog->findChild<QComboBox*>("dest:hole")->currentText(), "");
            EXPECT_EQ(dialog->SwapTable()->horizontalHeaderItem(0)->text(), "Target");
            EXPECT_EQ(dialog->SwapTable()->horizontalHeaderItem(1)->text(), "Dest");
            dialog->findChild<QComboBox*>("dest:component")->setCurrentText("silk top");
            QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        });
        form->Menus().Action("swap_layer")->trigger();
    }
    ASSERT_NE(Layers().Find("silk top"), nullptr);
    EXPECT_EQ(moved->GetLayer(), Layers().Find("silk top"));
    EXPECT_EQ(Layers().Count(), layers + 1);
    EXPECT_EQ(RowNames(), Names());
}

TEST_F(LayerWindowTest, WindowMenuFollowsThePanelsClosedByTheirOwnButtons) {
    QMenu* windows = form->Menus().Menu("window");
    for (const auto& [command, dock] :
         {std::pair<const char*, QDockWidget*>{"layer", form->LayerDock()}, {"style", form->StyleDock()}}) {
        SCOPED_TRACE(command);
        ASSERT_NE(dock, nullptr);
        QAction* item = form->Menus().Action(command);
        ASSERT_TRUE(item->isEnabled());
        emit windows->aboutToShow();
        EXPECT_TRUE(item->isChecked());
        dock->close();  // its own close button
        Settle();
        EXPECT_FALSE(dock->isVisible());
        emit windows->aboutToShow();
        EXPECT_FALSE(item->isChecked());
        item->trigger();
        EXPECT_TRUE(dock->isVisible());
        EXPECT_TRUE(item->isChecked());
        item->trigger();
        EXPECT_FALSE(dock->isVisible());
        EXPECT_FALSE(item->isChecked());
    }
}

// The panels are docked at the right of the drawing: nothing of them covers
// the design widget, and a panel floated, resized or closed comes back so the
// next time the window opens.
TEST_F(LayerWindowTest, PanelsDockBesideTheDrawingAndKeepWhereTheyWereLeft) {
    QDockWidget* style = form->StyleDock();
    QDockWidget* layers = form->LayerDock();
    QWidget* design = form->Design();
    for (QDockWidget* dock : {style, layers}) {
        SCOPED_TRACE(dock->objectName().toStdString());
        EXPECT_TRUE(dock->isVisible());
        EXPECT_FALSE(dock->isFloating());
        EXPECT_EQ(form->dockWidgetArea(dock), Qt::RightDockWidgetArea);
        EXPECT_FALSE(dock->accessibleName().isEmpty());
        const QRect onForm(dock->mapTo(form.get(), QPoint()), dock->size());
        const QRect designOnForm(design->mapTo(form.get(), QPoint()), design->size());
        EXPECT_FALSE(onForm.intersects(designOnForm));
        EXPECT_GE(onForm.left(), designOnForm.right());
    }
    EXPECT_EQ(style->widget(), form->StyleWindow());
    EXPECT_EQ(layers->widget(), panel);
    // The style window above the layer panel.
    EXPECT_LT(style->geometry().top(), layers->geometry().top());
    // The whole board is shown in what remains.
    EXPECT_GT(design->width(), 200);

    style->setFloating(true);
    style->move(form->geometry().topLeft() + QPoint(40, 60));
    layers->close();
    Settle();
    const QPoint floatedAt = style->pos();
    form.reset();  // the placements are written as the window goes

    form = Start();
    panel = &form->LayerWindow();
    EXPECT_TRUE(form->StyleDock()->isFloating());
    EXPECT_EQ(form->StyleDock()->pos(), floatedAt);
    EXPECT_TRUE(form->StyleDock()->isVisible());
    EXPECT_FALSE(form->LayerDock()->isVisible());
    emit form->Menus().Menu("window")->aboutToShow();
    EXPECT_FALSE(form->Menus().Action("layer")->isChecked());
    EXPECT_TRUE(form->Menus().Action("style")->isChecked());
}

TEST_F(LayerWindowTest, VersionBoxShowsTheArtworkWithTheProgramsVersion) {
    const app::TVersionForm& box = form->VersionForm();
    EXPECT_EQ(box.windowTitle(), "バージョン情報");
    // The shipped artwork is 800 x 400 units: 60 % of it.
    EXPECT_EQ(box.Picture().size(), QSize(480, 240));
    EXPECT_EQ(box.size(), box.Picture().size());
    // Drawn with the version text: it differs from the artwork with another text.
    const QImage other = app::TVersionForm::BuildPicture(TVemoResource::VersionArtwork(), "x");
    EXPECT_NE(box.Picture(), other);
    EXPECT_TRUE(app::TVersionForm::BuildPicture("not a document", "x").isNull());
    TModalAnswers answers;
    answers.Then([](QWidget* w) {
        EXPECT_NE(qobject_cast<app::TVersionForm*>(w), nullptr);
        static_cast<QDialog*>(w)->accept();
    });
    form->Menus().Action("version")->trigger();
    EXPECT_EQ(answers.Answered(), 1);
}

}  // namespace

namespace {

// A board whose objects name thousands of layers it lacks (a hostile or
// damaged file): the panel makes rows for the screen only, and every layer is
// still there to scroll to, show and choose.
TEST_F(GuiTest, ThousandsOfLayersOpenWithRowsForTheScreenOnly) {
    std::string error;
    std::unique_ptr<TVemoDocument> doc = DocumentFromBytes(hostile::UnknownLayers(5000), error);
    ASSERT_NE(doc, nullptr) << error;
    const std::string current = doc->GetLayerList().Current()->GetName();
    auto form = Start(std::move(doc));
    app::TLayerWindow& panel = form->LayerWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    const TVemoLayerList& layers = form->Context()->Document().GetLayerList();
    ASSERT_EQ(panel.RowCount(), 5001);
    EXPECT_LE(panel.LiveRowCount(), 200);
    // The current layer is highlighted in its row.
    EXPECT_EQ(layers.Current()->GetName(), current);

    // Scrolled to the end, the last rows are made and the first ones let go.
    auto* scroll = panel.findChild<QScrollArea*>("ScrollBox");
    ASSERT_NE(scroll, nullptr);
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    Settle();
    EXPECT_LE(panel.LiveRowCount(), 250);
    app::TVemoLayerFace* last = panel.Row(5000);
    ASSERT_NE(last, nullptr);
    EXPECT_TRUE(last->isVisible());
    EXPECT_EQ(last->Layer(), layers.At(5000));
    EXPECT_TRUE(last->visibleRegion().boundingRect().height() > 0);
    // A press on its name makes that layer current.
    QTest::mouseClick(last, Qt::LeftButton, {}, QPoint(100, 12));
    Settle();
    EXPECT_EQ(layers.Current(), layers.At(5000));
    // The first row, scrolled out of the view, is made again when asked for.
    EXPECT_EQ(panel.Row(0)->Layer(), layers.At(0));
}

}  // namespace
