// The menu bar: every item with its command name, caption and shortcut; what
// the items send; the file commands through the real dialogs; recent files.

#include <filesystem>
#include <vector>

#include <QAction>
#include <QDialogButtonBox>
#include <QMenu>
#include <QMenuBar>

#include "app/Layerwindow.h"
#include "app/Menus.h"
#include "app/Recentfiles.h"
#include "archive/Vemodocumentfile.h"
#include "settings/Settings.h"
#include "tests/app/Guifixture.h"

namespace {

using app::TRecentFiles;

std::vector<std::string> Names(const TRecentFiles& list) {
    return list.Names();
}

TEST(RecentFilesTest, KeepsTheFourLastMostRecentFirst) {
    TRecentFiles list;
    for (const char* name : {"/b/1.vbf", "/b/2.vbf", "/b/3.vbf", "/b/4.vbf", "/b/5.vbf"}) list.Add(name);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"/b/5.vbf", "/b/4.vbf", "/b/3.vbf", "/b/2.vbf"}));
    // The third again: to the front, the others in their order.
    list.Add("/b/3.vbf");
    EXPECT_EQ(Names(list), (std::vector<std::string>{"/b/3.vbf", "/b/5.vbf", "/b/4.vbf", "/b/2.vbf"}));
    list.Add("");
    list.Add("/b/3.vbf");
    EXPECT_EQ(Names(list).size(), 4u);
    EXPECT_EQ(Names(list).front(), "/b/3.vbf");
    // Names compare exactly.
    list.Add("/B/3.vbf");
    EXPECT_EQ(Names(list), (std::vector<std::string>{"/B/3.vbf", "/b/3.vbf", "/b/5.vbf", "/b/4.vbf"}));
}

TEST(RecentFilesTest, ReadsTheNonEmptyKeysInOrderAndWritesAllFour) {
    settings::TIniFile ini =
        settings::TIniFile::Parse("[RecentFiles]\nFile0=\nFile1=/x/one.vbf\nFile3=/x/three.vbf\n");
    TRecentFiles list;
    list.Load(ini);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"/x/one.vbf", "/x/three.vbf"}));
    settings::TIniFile out;
    list.Save(out);
    EXPECT_EQ(out.ReadString("RecentFiles", "File0", "?"), "/x/one.vbf");
    EXPECT_EQ(out.ReadString("RecentFiles", "File1", "?"), "/x/three.vbf");
    EXPECT_EQ(out.ReadString("RecentFiles", "File2", "?"), "");
    EXPECT_EQ(out.ReadString("RecentFiles", "File3", "?"), "");
}

// Records the commands that reach it.
class TCommandProbe : public TVemoEventState {
public:
    using TVemoEventState::TVemoEventState;
    TVemoEventState* Command(TEditCommand code) override {
        codes.push_back(code);
        return this;
    }
    std::vector<int> codes;
};

class MenusTest : public GuiTest {};

TEST_F(MenusTest, EveryItemHasItsCommandNameCaptionAndShortcut) {
    auto form = Start();
    struct Item {
        const char* command;
        const char* caption;
        const char* keys;
    };
    struct Menu {
        const char* command;
        const char* caption;
        std::vector<Item> items;
    };
    const std::vector<Menu> expected = {
        {"file",
         "ファイル",
         {{"new", "新規作成", "Ctrl+N"},
          {"open", "開く", "Ctrl+O"},
          {"write", "上書き保存", "Ctrl+S"},
          {"save", "名前を付けて保存", "Ctrl+Shift+S"},
          {"hline", "", ""},
          {"import", "インポート", ""},
          {"export", "エクスポート", ""},
          {"hline", "", ""},
          {"print", "印刷", "Ctrl+P"},
          {"hline", "", ""},
          {"recent", "", ""},
          {"recent", "", ""},
          {"recent", "", ""},
          {"recent", "", ""},
          {"hline", "", ""},
          {"close", "閉じる", ""}}},
        {"import", "インポート", {{"import_vemo", "VEMOファイル", ""}, {"import_back", "背景画像", ""}}},
        {"export",
         "エクスポート",
         {{"export_gerber", "ガーバファイル", ""},
          {"export_bitmap", "ビットマップ", ""},
          {"export_emf", "EMF", ""}}},
        {"edit",
         "編集",
         {{"undo", "取り消し", "Ctrl+Z"},
          {"redo", "やり直し", "Ctrl+Y"},
          {"hline", "", ""},
          {"cut", "切り取り", "Ctrl+X"},
          {"copy", "コピー", "Ctrl+C"},
          {"paste", "貼り付け", "Ctrl+V"},
          {"delete", "削除", "Del"}}},
        {"view",
         "表示",
         {{"fit", "全体を表示", "Home"}, {"zoom_in", "拡大", "+"}, {"zoom_out", "縮小", "-"}}},
        {"object",
         "オブジェクト",
         {{"swap_layer", "レイヤー置換", ""},
          {"reverse_points", "コントロールポイントの逆転", ""},
          {"graph_tool", "グラフツール", ""},
          {"hline", "", ""},
          {"design_check", "デザインルールチェック", ""}}},
        {"window", "ウインドウ", {{"style", "スタイル", ""}, {"layer", "レイヤー", ""}}},
        {"help", "ヘルプ", {{"version", "バージョン情報", ""}}},
    };
    // The bar: six menus in order.
    const QList<QAction*> bar = form->menuBar()->actions();
    const char* top[] = {"file", "edit", "view", "object", "window", "help"};
    ASSERT_EQ(bar.size(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(bar[i]->objectName().toStdString(), top[i]);

    for (const Menu& m : expected) {
        QMenu* menu = form->Menus().Menu(m.command);
        ASSERT_NE(menu, nullptr) << m.command;
        EXPECT_EQ(menu->title().toStdString(), m.caption);
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(actions.size(), qsizetype(m.items.size())) << m.command;
        for (std::size_t i = 0; i < m.items.size(); ++i) {
            const Item& item = m.items[i];
            QAction* a = actions[qsizetype(i)];
            EXPECT_EQ(a->objectName().toStdString(), item.command) << m.command << " " << i;
            if (a->isSeparator()) {
                EXPECT_STREQ(item.command, "hline");
                continue;
            }
            EXPECT_EQ(a->text().toStdString(), item.caption) << item.command;
            EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromUtf8(item.keys))) << item.command;
        }
    }
    // The recent items are hidden until there are recent files.
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(form->Menus().RecentAction(i)->isVisible());
}

TEST_F(MenusTest, OutputItemsShowTheirWindowsOnTheOpenDocument) {
    auto form = Start();
    // Each shows its own window modally; closing it changes nothing.
    const struct {
        const char* command;
        const char* window;
    } rows[] = {{"print", "TPrintForm"},
                {"export_gerber", "TGerberForm"},
                {"export_bitmap", "TExportBmpForm"},
                {"export_emf", "TExportEmfForm"},
                {"graph_tool", "TGraphToolForm"}};
    for (const auto& row : rows) {
        QAction* action = form->Menus().Action(row.command);
        ASSERT_NE(action, nullptr) << row.command;
        EXPECT_TRUE(action->isEnabled()) << row.command;
        TModalAnswers answers;
        std::string shown;
        answers.Then([&](QWidget* w) {
            shown = w->metaObject()->className();
            static_cast<QDialog*>(w)->reject();
        });
        action->trigger();
        EXPECT_EQ(shown, std::string("app::") + row.window) << row.command;
    }
    EXPECT_FALSE(form->Context()->History().IsModified());

    // The legacy import: the file first, then the mapping; OK adds one group as one step.
    const std::string legacy = std::string(ZELKO_TEST_DATA) + "/import/sample.vem";
    TVemoEventContext& context = *form->Context();
    const int objects = context.RootObject().GetChildCount();
    const std::size_t steps = context.History().Count();
    {
        TModalAnswers answers;
        answers.File("");  // cancelled: nothing
        form->Menus().Action("import_vemo")->trigger();
        EXPECT_EQ(answers.Answered(), 1);
    }
    EXPECT_EQ(context.RootObject().GetChildCount(), objects);
    {
        TModalAnswers answers;
        answers.File(legacy).Then([](QWidget* w) {
            auto* dialog = qobject_cast<QDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), "VEMOファイルのインポート");
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            ASSERT_NE(buttons, nullptr);
            buttons->button(QDialogButtonBox::Ok)->click();
        });
        form->Menus().Action("import_vemo")->trigger();
        EXPECT_EQ(answers.Answered(), 2);
    }
    EXPECT_EQ(context.RootObject().GetChildCount(), objects + 1);
    EXPECT_EQ(context.History().Count(), steps + 1);
    EXPECT_TRUE(context.History().IsModified());
    EXPECT_EQ(form->LayerWindow().RowCount(), context.Document().GetLayerList().Count());
}

TEST_F(MenusTest, EditAndObjectItemsSendTheirCommandToTheCurrentState) {
    auto form = Start();
    TCommandProbe probe(*form->Context());  // current until the end, when the select tool takes over
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Context()->ChangeState(&probe);
    const struct {
        const char* command;
        int code;
    } rows[] = {{"undo", ecUndo},
                {"redo", ecRedo},
                {"cut", ecCut},
                {"copy", ecCopy},
                {"paste", ecPaste},
                {"delete", ecDelete},
                {"reverse_points", ecReversePoints}};
    for (const auto& row : rows) {
        probe.codes.clear();
        form->Menus().Action(row.command)->trigger();
        EXPECT_EQ(probe.codes, std::vector<int>{row.code}) << row.command;
    }
    // The keyboard: Delete alone deletes, Ctrl+Delete does not; Ctrl+Z undoes.
    probe.codes.clear();
    QTest::keyClick(form->Design(), Qt::Key_Delete);
    EXPECT_EQ(probe.codes, std::vector<int>{ecDelete});
    probe.codes.clear();
    QTest::keyClick(form->Design(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(probe.codes.empty());
    QTest::keyClick(form->Design(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(probe.codes, std::vector<int>{ecUndo});
    form->Context()->ChangeState(form->Context()->StateBank().Get<TVemoSelectState>(nullptr));
}

TEST_F(MenusTest, OpenedFilesFillTheRecentListAndItsItemsOpenThem) {
    std::vector<std::string> boards;
    for (int i = 1; i <= 5; ++i) {
        TVemoDocument doc;
        doc.SetAreaSize(100 * i, 100);
        boards.push_back(Path("board" + std::to_string(i) + ".vbf"));
        std::string error;
        ASSERT_TRUE(WriteDocumentFile(doc, boards.back(), error)) << error;
    }
    auto form = Start();
    app::TVemoMenus& menus = form->Menus();
    for (const std::string& board : boards) {
        TModalAnswers answers;
        answers.File(board);
        menus.Action("open")->trigger();
        EXPECT_TRUE(answers.Done());
        EXPECT_EQ(form->windowTitle().toStdString(), board + "[*]");
    }
    const auto shown = [&] {
        std::vector<std::string> texts;
        for (int i = 0; i < 4; ++i)
            if (menus.RecentAction(i)->isVisible())
                texts.push_back(menus.RecentAction(i)->text().toStdString());
        return texts;
    };
    EXPECT_EQ(shown(), (std::vector<std::string>{"board5.vbf", "board4.vbf", "board3.vbf", "board2.vbf"}));
    EXPECT_EQ(menus.RecentAction(2)->toolTip().toStdString(), boards[2]);

    // The third item opens board3 and moves it to the front.
    menus.RecentAction(2)->trigger();
    EXPECT_EQ(form->Context()->Document().GetAreaWidth(), 300);
    EXPECT_EQ(shown(), (std::vector<std::string>{"board3.vbf", "board5.vbf", "board4.vbf", "board2.vbf"}));
    // Kept in the settings file at once, and read by the next window.
    const settings::TIniFile ini = settings::ReadSettingsFile(settingsPath);
    EXPECT_EQ(ini.ReadString("RecentFiles", "File0", ""), boards[2]);
    EXPECT_EQ(ini.ReadString("RecentFiles", "File3", ""), boards[1]);
    form.reset();
    auto again = Start();
    EXPECT_EQ(again->Menus().RecentAction(0)->text().toStdString(), "board3.vbf");
    EXPECT_TRUE(again->Menus().RecentAction(3)->isVisible());
}

TEST_F(MenusTest, SavingThroughTheDialogAddsTheExtensionAndCancelChangesNothing) {
    auto form = Start();
    TVemoEventContext& context = *form->Context();
    EXPECT_EQ(form->windowTitle(), "zelko[*]");
    context.History().SaveRootMemento(context.Document());

    {  // Write on an untitled board asks for a name; cancelled, nothing changes.
        TModalAnswers answers;
        answers.File("");
        form->Menus().Action("write")->trigger();
        EXPECT_EQ(answers.Answered(), 1);
    }
    EXPECT_EQ(form->windowTitle(), "zelko[*]");
    EXPECT_TRUE(context.History().IsModified());
    EXPECT_FALSE(form->Menus().RecentAction(0)->isVisible());

    {  // A bare name gets the document extension.
        TModalAnswers answers;
        answers.File(Path("mine"));
        form->Menus().Action("write")->trigger();
        EXPECT_EQ(answers.Answered(), 1);
    }
    EXPECT_TRUE(std::filesystem::exists(Path("mine.vbf")));
    EXPECT_EQ(form->windowTitle().toStdString(), Path("mine.vbf") + "[*]");
    EXPECT_FALSE(context.History().IsModified());
    EXPECT_EQ(form->Menus().RecentAction(0)->text(), "mine.vbf");

    {  // Save as over an existing file asks first; No keeps the dialog, then cancel.
        TModalAnswers answers;
        answers.File(Path("mine.vbf")).Box(QMessageBox::No).Then([](QWidget*) {});
        QTimer::singleShot(300, [] {
            if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) d->reject();
        });
        form->Menus().Action("save")->trigger();
        EXPECT_GE(answers.Answered(), 2);
    }
    EXPECT_EQ(form->windowTitle().toStdString(), Path("mine.vbf") + "[*]");
}

}  // namespace
