// The selection tool, the numeric dialog and the style window on the real
// editor window (offscreen platform), driven with real input events.

#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <typeinfo>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "app/Keymap.h"
#include "app/Mainform.h"
#include "app/Numericform.h"
#include "app/Styleform.h"
#include "app/Vemoclipboard.h"
#include "app/Vemoresource.h"
#include "archive/Vemodocumentfile.h"
#include "geom/Units.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"
#include "model/Vemorectangle.h"
#include "settings/Settings.h"
#include "states/Vemoselectstate.h"
#include "states/Vemostatebank.h"
#include "states/Vemostylepanel.h"

namespace {

class SelectToolTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        resources.Load(ZELKO_BITMAP_DIR);
    }
    void TearDown() override { form.reset(); }

    // A board of rectangles (corners in document units, pen width, filled),
    // opened from a file in the real window.
    void Open(const std::vector<std::tuple<PointF, PointF, float, bool>>& rects) {
        auto doc = std::make_unique<TVemoDocument>();
        for (const auto& [a, b, width, fill] : rects) {
            auto rect = std::make_unique<TVemoRect>();
            rect->SetLayer(doc->GetLayerList().Current());
            rect->SetSurface(TVemoSurface(width, fill, false));
            rect->SetCorners(a, b);
            rect->Deselect();
            doc->GetRoot().AddChild(std::move(rect));
        }
        const std::string file = dir.filePath("board.vbf").toStdString();
        std::string error;
        ASSERT_TRUE(WriteDocumentFile(*doc, file, error)) << error;
        std::unique_ptr<TVemoDocument> read = ReadDocumentFile(file, error);
        ASSERT_NE(read, nullptr) << error;
        form = std::make_unique<app::TVemoForm>(resources, dir.filePath("zelko.ini").toStdString());
        form->Start(std::move(read));
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->Context() != nullptr; }));
        form->activateWindow();
        Settle();
        design = form->Design();
    }
    static void Settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
    // The release of an arrow key or Space is reported once no repeat follows it.
    static void WaitForKeyRelease() {
        QTest::qWait(app::TKeyObserver::kRepeatPairMs + 40);
        Settle();
    }
    TVemoEventContext& Context() { return *form->Context(); }
    TVemoPart& Root() { return Context().RootObject(); }
    TVemoObject* Child(int i) { return Root().GetChild(i); }
    std::size_t Steps() { return Context().History().Count(); }
    // The widget position over a document point.
    QPoint At(PointF p) {
        const PointF px = Context().Document().GetViewMatrix().Map(p);
        const qreal r = design->devicePixelRatioF();
        return QPoint(int(std::lround(px.x / r)), int(std::lround(px.y / r)));
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = {}) {
        QTest::mousePress(design, Qt::LeftButton, mods, from);
        for (int i = 1; i <= 4; ++i) {
            const QPointF at = QPointF(from) + QPointF(to - from) * (i / 4.0);
            QMouseEvent move(QEvent::MouseMove, at, design->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                             mods);
            QApplication::sendEvent(design, &move);
        }
        QTest::mouseRelease(design, Qt::LeftButton, mods, to);
        Settle();
    }
    void Trigger(const char* command) {
        QAction* action = form->findChild<QAction*>(command);
        ASSERT_NE(action, nullptr) << command;
        action->trigger();
        Settle();
    }
    static RectF Bounds(const TVemoObject* o) {
        RectF b;
        o->GetBounds(b);
        return b;
    }

    QTemporaryDir dir;
    TVemoResource resources;
    std::unique_ptr<app::TVemoForm> form;
    app::TDesignWidget* design = nullptr;
};

TEST_F(SelectToolTest, GesturesCommandsAndTheClipboardOnTheRealWindow) {
    Open({{{100, 100}, {200, 200}, 5, true},
          {{300, 100}, {400, 200}, 10, true},
          {{600, 400}, {700, 500}, 5, true},
          {{620, 420}, {720, 520}, 5, true},
          {{640, 440}, {740, 540}, 5, true}});
    TVemoObject* a = Child(0);
    TVemoObject* b = Child(1);
    const float grid = float(Context().Document().GetGrid());

    // Click, Shift+click, and a drag of the two in whole grid steps: one undo step.
    QTest::mouseClick(design, Qt::LeftButton, {}, At({150, 150}));
    QTest::mouseClick(design, Qt::LeftButton, Qt::ShiftModifier, At({350, 150}));
    Settle();
    EXPECT_TRUE(a->IsSelected() && b->IsSelected());
    const RectF a0 = Bounds(a), b0 = Bounds(b);
    const std::size_t steps = Steps();
    Drag(At({150, 150}), At({150 + 3.2f * grid, 150 - 1.1f * grid}));
    EXPECT_NEAR(Bounds(a).x - a0.x, 3 * grid, 1e-3);
    EXPECT_NEAR(Bounds(b).y - b0.y, -grid, 1e-3);
    EXPECT_EQ(Steps(), steps + 1);
    Trigger("undo");
    EXPECT_FLOAT_EQ(Bounds(Child(0)).x, a0.x);
    a = Child(0), b = Child(1);

    // A band from empty space over part of b selects it alone.
    Drag(At({250, 50}), At({320, 120}));
    EXPECT_TRUE(b->IsSelected());
    EXPECT_FALSE(a->IsSelected());

    // Right-clicks on three overlapping objects pick each in turn, then the first again.
    for (int expected : {2, 3, 4, 2}) {
        QTest::mouseClick(design, Qt::RightButton, {}, At({660, 460}));
        Settle();
        for (int i = 2; i < 5; ++i) EXPECT_EQ(Child(i)->IsSelected(), i == expected) << expected;
    }
    // Delete takes only the one seen selected.
    Trigger("delete");
    ASSERT_EQ(Root().GetChildCount(), 4);

    // Arrow keys, with the keyboard's repeats, are one undo step per release.
    QTest::mouseClick(design, Qt::LeftButton, {}, At({150, 150}));
    const RectF a1 = Bounds(a);
    const std::size_t before = Steps();
    QTest::keyPress(design, Qt::Key_Right);
    for (int i = 0; i < 2; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(design, &repeat);
    }
    QTest::keyRelease(design, Qt::Key_Right);
    WaitForKeyRelease();
    EXPECT_NEAR(Bounds(a).x - a1.x, 3 * grid, 1e-3);
    EXPECT_EQ(Steps(), before + 1);
    // An X server may send the repeat of a held key as release/press pairs not
    // marked as repeats (same time stamp, the pair's press right behind its
    // release, the pointer moving in between): still one step.
    QTest::keyPress(design, Qt::Key_Down);
    for (int i = 0; i < 4; ++i) {
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier, QString(), false);
        QApplication::sendEvent(design, &up);
        QTest::mouseMove(design, At({150 + float(i), 150}));
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), false);
        QApplication::sendEvent(design, &down);
        Settle();
    }
    QTest::keyRelease(design, Qt::Key_Down);
    WaitForKeyRelease();
    EXPECT_NEAR(Bounds(a).y - a1.y, 5 * grid, 1e-3);
    EXPECT_EQ(Steps(), before + 2);
    // Two real presses, the second after the first was let go: two steps.
    QTest::keyClick(design, Qt::Key_Up);
    WaitForKeyRelease();
    QTest::keyClick(design, Qt::Key_Up);
    WaitForKeyRelease();
    EXPECT_NEAR(Bounds(a).y - a1.y, 3 * grid, 1e-3);
    EXPECT_EQ(Steps(), before + 4);

    // Ctrl+G groups, the tool buttons rotate and ungroup: one step each.
    QTest::mouseClick(design, Qt::LeftButton, Qt::ShiftModifier, At({350, 150}));
    QTest::keyPress(design, Qt::Key_Control);
    QTest::keyClick(design, Qt::Key_G, Qt::ControlModifier);
    QTest::keyRelease(design, Qt::Key_Control);
    Settle();
    ASSERT_EQ(Root().GetChildCount(), 3);
    auto* group = dynamic_cast<TVemoGroup*>(Child(2));
    ASSERT_NE(group, nullptr);
    QTest::mouseClick(design, Qt::LeftButton, {}, At({350, 150}));
    EXPECT_TRUE(group->IsSelected());
    QTest::mouseClick(form->ToolButton("rotate"), Qt::LeftButton);
    QTest::mouseClick(form->ToolButton("ungroup"), Qt::LeftButton);
    Settle();
    EXPECT_EQ(Root().GetChildCount(), 4);
    EXPECT_EQ(Steps(), before + 7);

    // Copy and paste through the clipboard: copies in place, selected.
    const int count = Root().GetChildCount();
    Drag(At({-40, -40}), At({1040, 790}));
    Trigger("copy");
    const std::optional<std::string> bytes = app::ClipboardObjects();
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, WriteClipboardObjects(form->Context()->Session().Selection()));
    Trigger("paste");
    ASSERT_EQ(Root().GetChildCount(), 2 * count);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(Bounds(Child(count + i)), Bounds(Child(i)));
        EXPECT_TRUE(Child(count + i)->IsSelected());
        EXPECT_FALSE(Child(i)->IsSelected());
    }

    // Objects on a layer the board lacks bring it along.
    auto layer = std::make_shared<TVemoLayer>(0xFF2080C0u, "mystery");
    TVemoRect stranger;
    stranger.SetLayer(layer);
    stranger.SetSurface(TVemoSurface(5, true, false));
    stranger.SetCorners({10, 10}, {30, 30});
    app::SetClipboardObjects(WriteClipboardObjects({&stranger}));
    const int layers = Context().Document().GetLayerList().Count();
    Trigger("paste");
    EXPECT_EQ(Context().Document().GetLayerList().Count(), layers + 1);
    EXPECT_NE(Context().Document().GetLayerList().Find("mystery"), nullptr);
}

TEST_F(SelectToolTest, NumericDialogMovesAndTurnsOrSaysWhatIsWrong) {
    Open({{{100, 100}, {200, 200}, 5, true}});
    TVemoObject* a = Child(0);
    Context().Document().ClearViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
    QTest::mouseClick(design, Qt::LeftButton, {}, At({150, 150}));
    ASSERT_TRUE(a->IsSelected());
    const RectF a0 = Bounds(a);
    const std::size_t steps = Steps();

    // An unreadable value: the message, the dialog stays; then Cancel changes nothing.
    QToolButton* numeric = form->ToolButton("numeric");
    QTest::mouseClick(numeric, Qt::LeftButton);
    EXPECT_TRUE(numeric->isChecked());
    std::string message;
    bool stayed = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<app::TNumericForm*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle().toStdString(), "数値入力");
        dialog->RotEdit->setText("ninety");
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            message = box->text().toStdString();
            box->button(QMessageBox::Ok)->click();
        });
        dialog->OkButton->click();
        stayed = dialog->isVisible();
        dialog->CancelButton->click();
    });
    QTest::mouseClick(design, Qt::LeftButton, {}, At({400, 300}));
    Settle();
    EXPECT_EQ(message, "無効な値が含まれています。");
    EXPECT_TRUE(stayed);
    EXPECT_EQ(Bounds(a), a0);
    EXPECT_EQ(Steps(), steps);
    EXPECT_FALSE(numeric->isChecked());
    EXPECT_EQ(typeid(*Context().CurrentState()), typeid(TVemoSelectState));

    // Move by (10 mm, 0), then a quarter turn about the clicked anchor (40 mm, 30 mm).
    QTest::mouseClick(numeric, Qt::LeftButton);
    std::string anchorShown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<app::TNumericForm*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        anchorShown = (dialog->AnchorXEdit->text() + " " + dialog->AnchorYEdit->text()).toStdString();
        dialog->OffsetXEdit->setText("10");
        dialog->OffsetYEdit->setText("0");
        dialog->RotEdit->setText("90");
        dialog->OkButton->click();
    });
    const QPoint click = At({400, 300});
    QTest::mouseClick(design, Qt::LeftButton, {}, click);
    Settle();
    const PointF anchor = Context().ToDocument(click.x() * design->devicePixelRatioF(),
                                               click.y() * design->devicePixelRatioF());
    char expected[64];
    std::snprintf(expected, sizeof expected, "%s %s", ShortestDecimal(units::ToMm(anchor.x)).c_str(),
                  ShortestDecimal(units::ToMm(anchor.y)).c_str());
    EXPECT_EQ(anchorShown, expected);
    // The centre (150, 150) moves to (250, 150), then turns clockwise about the anchor.
    const double cx = 250 - anchor.x, cy = 150 - anchor.y;
    const RectF a1 = Bounds(a);
    EXPECT_NEAR(a1.x + a1.width / 2, anchor.x - cy, 0.05);
    EXPECT_NEAR(a1.y + a1.height / 2, anchor.y + cx, 0.05);
    EXPECT_EQ(Steps(), steps + 1);
    EXPECT_FALSE(numeric->isChecked());
}

TEST_F(SelectToolTest, StyleWindowEditsTheSelectionAndTheDrawing) {
    Open({{{100, 100}, {200, 200}, 50, false},
          {{300, 100}, {400, 200}, 100, false},
          {{500, 100}, {600, 200}, 20, true}});
    app::TStyleForm* style = form->StyleWindow();
    ASSERT_NE(style, nullptr);
    EXPECT_TRUE(style->isVisible());
    EXPECT_EQ(style->windowTitle().toStdString(), "スタイル");
    ASSERT_EQ(style->StylePageControl->count(), 3);
    EXPECT_EQ(style->StylePageControl->tabText(0).toStdString(), "スタイル");
    EXPECT_EQ(style->StylePageControl->tabText(1).toStdString(), "図面");
    EXPECT_EQ(style->StylePageControl->tabText(2).toStdString(), "パッド");
    app::TSurfaceFrame* s = style->SurfaceFrame();
    TVemoObject *a = Child(0), *b = Child(1), *c = Child(2);

    // One selected: its width; two of widths 5 and 10 mm: empty.
    QTest::mouseClick(design, Qt::LeftButton, {}, At({100, 150}));
    EXPECT_EQ(s->WidthEdit->text().toStdString(), "5");
    QTest::mouseClick(design, Qt::LeftButton, Qt::ShiftModifier, At({300, 150}));
    EXPECT_EQ(s->WidthEdit->text().toStdString(), "");
    // Typing 0.8 sets both, one undo step for the change.
    const std::size_t steps = Steps();
    QTest::keyClicks(s->WidthEdit, "0.8");
    EXPECT_FLOAT_EQ(a->GetSurface()->GetWidth(), 8);
    EXPECT_FLOAT_EQ(b->GetSurface()->GetWidth(), 8);
    EXPECT_EQ(Steps(), steps + 1);
    // The keys typed into the field did not reach the tools.
    EXPECT_EQ(Root().GetChildCount(), 3);

    // 300 mm is refused, 299.9 taken; 0 reaches only the filled one.
    QTest::mouseClick(design, Qt::LeftButton, Qt::ShiftModifier, At({550, 150}));
    s->WidthEdit->clear();
    QTest::keyClicks(s->WidthEdit, "300");
    EXPECT_FLOAT_EQ(a->GetSurface()->GetWidth(), 300);  // "3" and "30" were taken on the way
    s->WidthEdit->clear();
    QTest::keyClicks(s->WidthEdit, "299.9");
    EXPECT_FLOAT_EQ(a->GetSurface()->GetWidth(), 2999);
    s->WidthEdit->clear();
    QTest::keyClicks(s->WidthEdit, "0");
    EXPECT_FLOAT_EQ(a->GetSurface()->GetWidth(), 2999);
    EXPECT_FLOAT_EQ(c->GetSurface()->GetWidth(), 0);

    // The fill box is undecided; a click clears fill on all three.
    EXPECT_EQ(s->FillCheckBox->checkState(), Qt::PartiallyChecked);
    QTest::mouseClick(s->FillCheckBox, Qt::LeftButton);
    EXPECT_EQ(s->FillCheckBox->checkState(), Qt::Unchecked);
    EXPECT_FALSE(c->GetSurface()->GetFill());
    EXPECT_FLOAT_EQ(c->GetSurface()->GetWidth(), 1);

    // The last object selected alone becomes the style of new objects.
    s->WidthEdit->clear();
    QTest::keyClicks(s->WidthEdit, "1");
    QTest::mouseClick(design, Qt::LeftButton, {}, At({800, 600}));
    QTest::mouseClick(design, Qt::LeftButton, {}, At({300, 150}));
    ASSERT_EQ(Context().StylePanel().ShownCount(), 1);
    QTest::mouseClick(s->BevelButton, Qt::LeftButton);
    EXPECT_EQ(b->GetSurface()->GetJoin(), 1);
    QTest::mouseClick(design, Qt::LeftButton, {}, At({800, 600}));
    const TVemoSurface& current = Context().StylePanel().CurrentSurface();
    EXPECT_FLOAT_EQ(current.GetWidth(), 10);
    EXPECT_EQ(current.GetJoin(), 1);
    EXPECT_TRUE(s->BevelButton->isChecked());

    // The drawing page: fixed aspect keeps 1000 x 750 in proportion.
    app::TDesignFrame* d = style->DesignFrame();
    TVemoDocument& doc = Context().Document();
    EXPECT_EQ(d->AreaWidthEdit->text().toStdString(), "100");
    EXPECT_EQ(d->GridEdit->text().toStdString(), "1.27");
    QTest::mouseClick(d->FixAspectCheck, Qt::LeftButton);
    EXPECT_TRUE(doc.TestViewFlags(TVemoDocumentInfo::ViewFixedAspect));
    d->AreaWidthEdit->clear();
    QTest::keyClicks(d->AreaWidthEdit, "50");
    EXPECT_DOUBLE_EQ(doc.GetAreaWidth(), 500);
    EXPECT_DOUBLE_EQ(doc.GetAreaHeight(), 375);
    EXPECT_EQ(d->AreaHeightEdit->text().toStdString(), "37.5");
    // Grid pitches of 0 and 101 mm are refused, 100 taken.
    for (const char* typed : {"0", "101"}) {
        d->GridEdit->clear();
        QTest::keyClicks(d->GridEdit, typed);
    }
    EXPECT_DOUBLE_EQ(doc.GetGrid(), 100.0);  // the "10" typed on the way to "101"
    d->GridEdit->clear();
    QTest::keyClicks(d->GridEdit, "100");
    EXPECT_DOUBLE_EQ(doc.GetGrid(), 1000.0);
    QTest::mouseClick(d->SnapGridCheck, Qt::LeftButton);
    EXPECT_FALSE(doc.TestViewFlags(TVemoDocumentInfo::ViewSnapToGrid));
    // A pitch chosen from the list.
    ASSERT_GT(d->GridListBox->count(), 0);
    QListWidgetItem* item = d->GridListBox->item(0);
    QTest::mouseClick(d->GridListBox->viewport(), Qt::LeftButton, {},
                      d->GridListBox->visualItemRect(item).center());
    EXPECT_DOUBLE_EQ(doc.GetGrid(), units::FromMm(item->text().toDouble()));
}

TEST_F(SelectToolTest, OfferedWidthsAndPitchesComeFromTheSettingsFile) {
    // A hand-made list: it ends at the first negative entry.
    std::string error;
    settings::TIniFile ini;
    ini.WriteString("SurfaceTab", "Width0", "0.2");
    ini.WriteString("SurfaceTab", "Width1", "0.5");
    ini.WriteString("SurfaceTab", "Width2", "-1");
    ini.WriteString("SurfaceTab", "Width3", "1.0");
    ini.WriteString("StatusTab", "Grid0", "2.54");
    ASSERT_TRUE(settings::WriteSettingsFile(dir.filePath("zelko.ini").toStdString(), ini, error)) << error;
    Open({{{100, 100}, {200, 200}, 5, true}, {{300, 100}, {400, 200}, 10, true}});
    app::TSurfaceFrame* s = form->StyleWindow()->SurfaceFrame();
    ASSERT_EQ(s->WidthListBox->count(), 2);
    EXPECT_EQ(s->WidthListBox->item(1)->text().toStdString(), "0.5");
    app::TDesignFrame* d = form->StyleWindow()->DesignFrame();
    ASSERT_EQ(d->GridListBox->count(), 1);
    EXPECT_EQ(d->GridListBox->item(0)->text().toStdString(), "2.54");

    // A width chosen from the list reaches every selected object and new objects too.
    QTest::mouseClick(design, Qt::LeftButton, {}, At({150, 150}));
    QTest::mouseClick(design, Qt::LeftButton, Qt::ShiftModifier, At({350, 150}));
    const std::size_t steps = Steps();
    QListWidgetItem* item = s->WidthListBox->item(1);
    QTest::mouseClick(s->WidthListBox->viewport(), Qt::LeftButton, {},
                      s->WidthListBox->visualItemRect(item).center());
    EXPECT_FLOAT_EQ(Child(0)->GetSurface()->GetWidth(), 5);
    EXPECT_FLOAT_EQ(Child(1)->GetSurface()->GetWidth(), 5);
    EXPECT_FLOAT_EQ(Context().StylePanel().CurrentSurface().GetWidth(), 5);
    EXPECT_EQ(s->WidthEdit->text().toStdString(), "0.5");
    EXPECT_EQ(Steps(), steps + 1);
}

}  // namespace
