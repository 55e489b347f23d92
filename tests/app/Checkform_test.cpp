// The design-rule check window on the real main window: a small board with
// one gap too narrow, found, shown, selected and forgotten after an edit;
// refused rule values; rules kept across windows; a long check cancelled.

#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QTableWidget>

#include "app/Checkform.h"
#include "app/Menus.h"
#include "boardgen/Boardgen.h"
#include "check/Designrules.h"
#include "model/Vemopart.h"
#include "settings/Settings.h"
#include "states/Vemoselectstate.h"
#include "tests/app/Guifixture.h"
#include "tests/gerber/Gerbertest.h"

namespace {

constexpr float kMm = 10.0f;  // document units per millimetre

class CheckFormTest : public GuiTest {
protected:
    // Two tracks 0.3 mm wide on the solder side 0.1 mm apart (the default
    // clearance is 0.2 mm), and a third far from both.
    static std::unique_ptr<TVemoDocument> Board() {
        auto doc = std::make_unique<TVemoDocument>();
        const TVemoLayerPtr solder = doc->GetLayerList().Find("solder");
        const auto track = [&](float x0, float y0, float x1, float y1) {
            doc->GetRoot().AddChild(gerbertest::Polyline(solder, {{x0 * kMm, y0 * kMm}, {x1 * kMm, y1 * kMm}},
                                                         false, gerbertest::Surface(0.3f * kMm, false)));
        };
        track(20, 20, 30, 20);
        track(20, 20.4f, 30, 20.4f);
        track(60, 60, 70, 60);
        return doc;
    }

    static app::TCheckForm& OpenCheck(app::TVemoForm& form) {
        QAction* item = form.Menus().Action("design_check");
        EXPECT_NE(item, nullptr);
        EXPECT_TRUE(item->isEnabled());
        item->trigger();
        app::TCheckForm& check = form.CheckForm();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&check));
        EXPECT_FALSE(check.isModal());
        return check;
    }

    static void RunToTheEnd(app::TCheckForm& check) {
        QTest::mouseClick(check.RunButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !check.Running(); }, 60000));
        Settle();
    }

    // As a user picks with the keyboard, each step choosing the item it lands on.
    static void Choose(QComboBox* box, const QString& text) {
        const int target = box->findText(text);
        ASSERT_GE(target, 1) << text.toStdString();
        for (int i = 0; i < 10 && box->currentIndex() != target; ++i)
            QTest::keyClick(box, box->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_EQ(box->currentIndex(), target);
    }

    static void Type(QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClicks(field, text);
    }
};

TEST_F(CheckFormTest, RunListsTheGapAndChoosingItZoomsSelectsAndMarksUntilTheNextEdit) {
    auto form = Start(Board());
    TVemoEventContext& context = *form->Context();
    app::TCheckForm& check = OpenCheck(*form);
    RunToTheEnd(check);

    QTableWidget* table = check.Table();
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 0)->text().toStdString(), "クリアランス");
    EXPECT_EQ(table->item(0, 1)->text().toStdString(), "solder");
    // Between the tracks' edges, along the pair; x from the design area's left edge.
    const TVemoDocument& doc = context.Document();
    const double x = table->item(0, 2)->text().toDouble() + doc.GetAreaX() / kMm;
    EXPECT_GE(x, 19.99);
    EXPECT_LE(x, 30.01);
    EXPECT_EQ(table->item(0, 4)->text().toStdString(), "0.100");
    EXPECT_EQ(table->item(0, 5)->text().toStdString(), "0.200");
    EXPECT_TRUE(check.Summary()->text().contains("違反 1 件")) << check.Summary()->text().toStdString();
    ASSERT_EQ(form->CheckMarks().size(), 1u);
    EXPECT_TRUE(context.Session().Selection().empty());

    // A click on the row: the gap fills the middle of the view, both tracks
    // are selected with the select tool, and nothing else.
    const double zoomBefore = doc.GetZoom();
    const QRect row = table->visualItemRect(table->item(0, 2));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, row.center());
    Settle();
    EXPECT_GT(doc.GetZoom(), 4 * zoomBefore);
    const check::TViolation& found = check.Report().violations.at(0);
    const PointF gap =
        doc.GetViewMatrix().Map(PointF((found.a.x + found.b.x) / 2, (found.a.y + found.b.y) / 2));
    EXPECT_NEAR((found.a.y + found.b.y) / 2, 20.2f * kMm, 0.01f);
    EXPECT_NEAR(gap.x, doc.GetWindowWidth() / 2.0, 2.0);
    EXPECT_NEAR(gap.y, doc.GetWindowHeight() / 2.0, 2.0);
    ASSERT_NE(dynamic_cast<TVemoSelectState*>(context.CurrentState()), nullptr);
    TVemoPart& root = context.RootObject();
    const std::vector<TVemoObject*> both = {root.GetChild(0), root.GetChild(1)};
    EXPECT_EQ(context.Session().Selection(), both);
    EXPECT_FALSE(root.GetChild(2)->IsSelected());
    EXPECT_EQ(form->CheckMarks().size(), 1u);

    // Deleting them is an edit: the marks go and the list says it is out of date.
    form->Menus().Action("delete")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->CheckMarks().empty(); }));
    EXPECT_EQ(root.GetChildCount(), 1);
    EXPECT_TRUE(check.Summary()->text().contains("変更されました"));
    // Choosing the row again only moves the view: the objects are gone.
    table->clearSelection();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, row.center());
    Settle();
    EXPECT_TRUE(form->CheckMarks().empty());
    EXPECT_TRUE(context.Session().Selection().empty());

    // The board as it is now passes.
    RunToTheEnd(check);
    EXPECT_EQ(check.Table()->rowCount(), 0);
    EXPECT_TRUE(check.Summary()->text().contains("違反はありません"));
}

TEST_F(CheckFormTest, RefusedRulesAndABoardWithoutCopperAreExplained) {
    auto form = Start(Board());
    app::TCheckForm& check = OpenCheck(*form);
    const struct {
        const char* field;
        const char* text;
        std::string message;
    } cases[] = {
        {"clearance", "-0.1", check::RuleValueProblem("clearance", -0.1)},
        {"min-width", "150", check::RuleValueProblem("min-width", 150)},
        {"edge-clearance", "abc",
         "edge-clearance は mm 単位の数値で入力してください (\"abc\" は数値ではありません)"},
        {"min-drill", "7",
         [] {
             check::TDesignRules r;
             r.minDrill = 7;
             return check::RulesProblem(r);
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field + std::string(" = ") + c.text);
        ASSERT_FALSE(c.message.empty());
        QLineEdit* field = check.Field(c.field);
        ASSERT_NE(field, nullptr);
        const QString before = field->text();
        Type(field, c.text);
        TModalAnswers answers;
        answers.Box(QMessageBox::Ok, c.message);
        QTest::mouseClick(check.RunButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return answers.Done(); }));
        Settle();
        EXPECT_FALSE(check.Running());
        EXPECT_EQ(check.Summary()->text().toStdString(), c.message);
        EXPECT_EQ(check.Table()->rowCount(), 0);
        EXPECT_TRUE(form->CheckMarks().empty());
        // Not kept either.
        EXPECT_FALSE(settings::ReadSettingsFile(settingsPath).HasSection(app::TCheckForm::kSection));
        Type(field, before);
    }

    // A copper layer the board lacks.
    Type(check.CopperLayersField(), "inner1");
    TModalAnswers answers;
    answers.Box(QMessageBox::Ok, "この基板にはレイヤー \"inner1\" がありません");
    QTest::mouseClick(check.RunButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.Done(); }));
    Settle();
    EXPECT_FALSE(check.Running());
    EXPECT_EQ(check.Table()->rowCount(), 0);

    // A board without copper: each check that had nothing to do says so.
    auto bare = Start();
    app::TCheckForm& bareCheck = OpenCheck(*bare);
    RunToTheEnd(bareCheck);
    EXPECT_EQ(bareCheck.Table()->rowCount(), 0);
    ASSERT_FALSE(bareCheck.Report().idle.empty());
    for (const std::string& idle : bareCheck.Report().idle)
        EXPECT_TRUE(bareCheck.Summary()->text().contains(QString::fromStdString(idle))) << idle;
}

TEST_F(CheckFormTest, RulesAndPresetAreKeptForTheNextWindow) {
    {
        auto form = Start(Board());
        app::TCheckForm& check = OpenCheck(*form);
        QComboBox* preset = check.PresetBox();
        // The shipped presets by the names their files give.
        ASSERT_GE(preset->findText("home etching"), 1);
        ASSERT_GE(preset->findText("board house, standard"), 1);
        Choose(preset, "home etching");
        EXPECT_EQ(check.Field("clearance")->text().toStdString(), "0.3");
        EXPECT_EQ(check.Field("min-annular")->text().toStdString(), "0.4");
        // A value typed over the preset makes the rules the user's own.
        Type(check.Field("min-width"), "0.25");
        EXPECT_EQ(preset->currentIndex(), 0);
        QTest::keyClick(check.SilkBox(), Qt::Key_Space);
        ASSERT_FALSE(check.SilkBox()->isChecked());
        RunToTheEnd(check);
        EXPECT_DOUBLE_EQ(check.Report().rules.minWidth, 0.25);
        EXPECT_DOUBLE_EQ(check.Report().rules.clearance, 0.3);
        // The 0.1 mm gap breaks 0.3 mm too.
        EXPECT_EQ(check.Table()->rowCount(), 1);
    }
    auto form = Start(Board());
    app::TCheckForm& check = OpenCheck(*form);
    EXPECT_EQ(check.Field("clearance")->text().toStdString(), "0.3");
    EXPECT_EQ(check.Field("min-width")->text().toStdString(), "0.25");
    EXPECT_EQ(check.Field("min-annular")->text().toStdString(), "0.4");
    EXPECT_FALSE(check.SilkBox()->isChecked());
    EXPECT_EQ(check.PresetBox()->currentIndex(), 0);

    // A preset chosen and run is offered again as that preset.
    QComboBox* preset = check.PresetBox();
    Choose(preset, "board house, standard");
    EXPECT_EQ(check.Field("clearance")->text().toStdString(), "0.15");
    RunToTheEnd(check);
    form.reset();
    auto again = Start(Board());
    EXPECT_EQ(OpenCheck(*again).PresetBox()->currentText().toStdString(), "board house, standard");
    EXPECT_EQ(again->CheckForm().Field("clearance")->text().toStdString(), "0.15");
}

TEST_F(CheckFormTest, ALongCheckShowsProgressAndCanBeCancelled) {
    auto form = Start(GenerateBoard(TBoardOptions{8000, 3, true}));
    app::TCheckForm& check = OpenCheck(*form);
    QTest::mouseClick(check.RunButton(), Qt::LeftButton);
    ASSERT_TRUE(check.Running());
    EXPECT_TRUE(check.Progress()->isVisible());
    EXPECT_FALSE(check.RunButton()->isEnabled());
    ASSERT_TRUE(check.CancelButton()->isEnabled());
    // The editor answers meanwhile: the view can be zoomed.
    const double zoom = form->Context()->Document().GetZoom();
    form->Menus().Action("zoom_in")->trigger();
    Settle();
    EXPECT_GT(form->Context()->Document().GetZoom(), zoom);
    QTest::mouseClick(check.CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !check.Running(); }, 60000));
    Settle();
    EXPECT_TRUE(check.Report().cancelled);
    EXPECT_EQ(check.Summary()->text().toStdString(), "チェックを中止しました。");
    EXPECT_EQ(check.Table()->rowCount(), 0);
    EXPECT_TRUE(form->CheckMarks().empty());
    EXPECT_FALSE(check.Progress()->isVisible());
    EXPECT_TRUE(check.RunButton()->isEnabled());
}

}  // namespace
