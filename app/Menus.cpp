#include "app/Menus.h"

#include <filesystem>

#include <QAction>
#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "settings/Settings.h"
#include "states/Vemoeventcontext.h"

namespace app {

namespace {

// Commands that send one edit command to the current state.
struct TCommandItem {
    const char* command;
    const char* caption;
    QKeySequence keys;
    TEditCommand code;
};

}  // namespace

TVemoMenus::TVemoMenus(QMainWindow& window, std::string settingsPath)
    : QObject(&window), window_(window), settingsPath_(std::move(settingsPath)) {
    recentFiles_.Load(settings::ReadSettingsFile(settingsPath_));

    QMenu* file = AddMenu(nullptr, "file", QT_TR_NOOP("ファイル"));
    connect(AddItem(file, "new", QT_TR_NOOP("新規作成"), QKeySequence("Ctrl+N")), &QAction::triggered, this,
            [this] {
                if (files_) files_->New();
            });
    connect(AddItem(file, "open", QT_TR_NOOP("開く"), QKeySequence("Ctrl+O")), &QAction::triggered, this,
            [this] {
                if (files_) files_->Open();
            });
    connect(AddItem(file, "write", QT_TR_NOOP("上書き保存"), QKeySequence("Ctrl+S")), &QAction::triggered,
            this, [this] {
                if (files_) files_->Write();
            });
    connect(AddItem(file, "save", QT_TR_NOOP("名前を付けて保存"), QKeySequence("Ctrl+Shift+S")),
            &QAction::triggered, this, [this] {
                if (files_) files_->SaveAs();
            });
    file->addSeparator()->setObjectName("hline");
    QMenu* import = AddMenu(file, "import", QT_TR_NOOP("インポート"));
    AddUnavailable(import, "import_vemo", QT_TR_NOOP("VEMOファイル"), "zelko import vem");
    connect(AddItem(import, "import_back", QT_TR_NOOP("背景画像")), &QAction::triggered, this, [this] {
        if (files_) files_->LoadBackground();
    });
    QMenu* exportMenu = AddMenu(file, "export", QT_TR_NOOP("エクスポート"));
    AddUnavailable(exportMenu, "export_gerber", QT_TR_NOOP("ガーバファイル"), "zelko export gerber");
    AddUnavailable(exportMenu, "export_bitmap", QT_TR_NOOP("ビットマップ"), "zelko export bitmap");
    AddUnavailable(exportMenu, "export_emf", "EMF", "zelko export image");
    file->addSeparator()->setObjectName("hline");
    AddUnavailable(file, "print", QT_TR_NOOP("印刷"), "zelko export image (PDF)", QKeySequence("Ctrl+P"));
    file->addSeparator()->setObjectName("hline");
    for (int i = 0; i < TRecentFiles::kCount; ++i) {
        QAction* action = AddItem(file, "recent", "");
        action->setVisible(false);
        connect(action, &QAction::triggered, this, [this, action] {
            if (files_) files_->OpenRecent(action->data().toString().toStdString());
        });
        recent_[i] = action;
    }
    file->addSeparator()->setObjectName("hline");
    connect(AddItem(file, "close", QT_TR_NOOP("閉じる")), &QAction::triggered, &window_, &QWidget::close);
    RefreshRecent();

    const auto commands = [this](QMenu* menu, std::initializer_list<TCommandItem> items) {
        for (const TCommandItem& item : items) {
            if (!item.command) {
                menu->addSeparator()->setObjectName("hline");
                continue;
            }
            const TEditCommand code = item.code;
            connect(AddItem(menu, item.command, item.caption, item.keys), &QAction::triggered, this,
                    [this, code] {
                        if (context_) context_->SendCommand(code);
                    });
        }
    };
    QMenu* edit = AddMenu(nullptr, "edit", QT_TR_NOOP("編集"));
    commands(edit, {{"undo", QT_TR_NOOP("取り消し"), QKeySequence("Ctrl+Z"), ecUndo},
                    {"redo", QT_TR_NOOP("やり直し"), QKeySequence("Ctrl+Y"), ecRedo},
                    {nullptr, nullptr, {}, ecUndo},
                    {"cut", QT_TR_NOOP("切り取り"), QKeySequence("Ctrl+X"), ecCut},
                    {"copy", QT_TR_NOOP("コピー"), QKeySequence("Ctrl+C"), ecCopy},
                    {"paste", QT_TR_NOOP("貼り付け"), QKeySequence("Ctrl+V"), ecPaste},
                    // The Delete key alone: Ctrl+Delete is not this command.
                    {"delete", QT_TR_NOOP("削除"), QKeySequence(Qt::Key_Delete), ecDelete}});

    // The view keys every editor of the field has; the window gives them their work.
    QMenu* view = AddMenu(nullptr, "view", QT_TR_NOOP("表示"));
    AddItem(view, "fit", QT_TR_NOOP("全体を表示"), QKeySequence(Qt::Key_Home));
    AddItem(view, "zoom_in", QT_TR_NOOP("拡大"))
        ->setShortcuts({QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal),
                        QKeySequence(Qt::KeypadModifier | Qt::Key_Plus)});
    AddItem(view, "zoom_out", QT_TR_NOOP("縮小"))
        ->setShortcuts({QKeySequence(Qt::Key_Minus), QKeySequence(Qt::KeypadModifier | Qt::Key_Minus)});
    for (const char* command : {"fit", "zoom_in", "zoom_out"}) Action(command)->setEnabled(false);

    QMenu* object = AddMenu(nullptr, "object", QT_TR_NOOP("オブジェクト"));
    connect(AddItem(object, "swap_layer", QT_TR_NOOP("レイヤー置換")), &QAction::triggered, this,
            [this] { ShowDialog("swap_layer"); });
    commands(object, {{"reverse_points", QT_TR_NOOP("コントロールポイントの逆転"), {}, ecReversePoints}});
    AddUnavailable(object, "graph_tool", QT_TR_NOOP("グラフツール"), "zelko graph");
    object->addSeparator()->setObjectName("hline");
    // Enabled once the window can reach the board.
    AddItem(object, "design_check", QT_TR_NOOP("デザインルールチェック"))->setEnabled(false);

    QMenu* windows = AddMenu(nullptr, "window", QT_TR_NOOP("ウインドウ"));
    for (const auto& [command, caption] :
         {std::pair{"style", QT_TR_NOOP("スタイル")}, std::pair{"layer", QT_TR_NOOP("レイヤー")}}) {
        QAction* action = AddItem(windows, command, caption);
        action->setCheckable(true);
        action->setEnabled(false);  // until its window is handed over
        const std::string name = command;
        // The check mark was inverted by the click: it says what to do.
        connect(action, &QAction::triggered, this, [this, name](bool show) {
            const auto it = windows_.find(name);
            if (it == windows_.end() || !it->second) return;
            it->second->setVisible(show);
            if (show) it->second->raise();
        });
    }
    // A window closed by its own button has not told the menu: ask each one.
    connect(windows, &QMenu::aboutToShow, this, [this] {
        for (const auto& [name, window] : windows_)
            if (QAction* action = Action(name); action && window) action->setChecked(window->isVisible());
    });

    QMenu* help = AddMenu(nullptr, "help", QT_TR_NOOP("ヘルプ"));
    connect(AddItem(help, "version", QT_TR_NOOP("バージョン情報")), &QAction::triggered, this,
            [this] { ShowDialog("version"); });
}

TVemoMenus::~TVemoMenus() = default;

QMenu* TVemoMenus::AddMenu(QMenu* parent, const char* command, const char* caption) {
    QMenu* menu = parent ? parent->addMenu(tr(caption)) : window_.menuBar()->addMenu(tr(caption));
    menu->setObjectName(command);
    menu->menuAction()->setObjectName(command);
    menu->setToolTipsVisible(true);
    menus_[command] = menu;
    return menu;
}

QAction* TVemoMenus::AddItem(QMenu* menu, const char* command, const char* caption,
                             const QKeySequence& keys) {
    QAction* action = menu->addAction(tr(caption));
    action->setObjectName(command);
    action->setShortcut(keys);
    return action;
}

QAction* TVemoMenus::AddUnavailable(QMenu* menu, const char* command, const char* caption, const char* where,
                                    const QKeySequence& keys) {
    QAction* action = AddItem(menu, command, caption, keys);
    action->setEnabled(false);
    const QString tip = tr("この版のエディタにはまだありません。コマンド行の %1 を使ってください。")
                            .arg(QString::fromUtf8(where));
    action->setToolTip(tip);
    action->setStatusTip(tip);
    return action;
}

void TVemoMenus::SetContext(TVemoEventContext* context, TFileCommands::StartingDocument starting) {
    context_ = context;
    files_ = context ? std::make_unique<TFileCommands>(*context, std::move(starting)) : nullptr;
}

void TVemoMenus::SetWindow(const std::string& command, QWidget* window) {
    windows_[command] = window;
    if (QAction* action = Action(command)) {
        action->setEnabled(window != nullptr);
        action->setChecked(window && window->isVisible());
    }
}

void TVemoMenus::SetDialog(const std::string& command, QDialog* dialog) {
    dialogs_[command] = dialog;
}

void TVemoMenus::SetCommand(const std::string& command, std::function<void()> run) {
    QAction* action = Action(command);
    if (!action) return;
    action->setEnabled(true);
    action->setToolTip(QString());
    action->setStatusTip(QString());
    connect(action, &QAction::triggered, this, [this, run = std::move(run)] {
        if (context_ && run) run();
    });
}

void TVemoMenus::ShowDialog(const std::string& command) {
    const auto it = dialogs_.find(command);
    // Commands that work on the document wait for the start-up.
    if (it == dialogs_.end() || !it->second || (command != "version" && !context_)) return;
    it->second->exec();
}

QAction* TVemoMenus::Action(const std::string& command) const {
    for (const auto& [name, menu] : menus_)
        for (QAction* action : menu->actions())
            if (action->objectName().toStdString() == command) return action;
    return nullptr;
}

QMenu* TVemoMenus::Menu(const std::string& command) const {
    const auto it = menus_.find(command);
    return it == menus_.end() ? nullptr : it->second;
}

void TVemoMenus::AddRecentFile(const std::string& name) {
    if (name.empty()) return;
    recentFiles_.Add(name);
    RefreshRecent();
    std::string error;
    // Losing the list is not worth troubling the user in the middle of their work.
    settings::UpdateSettingsFile(
        settingsPath_, [this](settings::TIniFile& ini) { recentFiles_.Save(ini); }, error);
}

void TVemoMenus::RefreshRecent() {
    const std::vector<std::string>& names = recentFiles_.Names();
    for (int i = 0; i < TRecentFiles::kCount; ++i) {
        QAction* action = recent_[i];
        if (std::size_t(i) < names.size()) {
            const std::string& name = names[std::size_t(i)];
            const QString full = QString::fromStdString(name);
            action->setData(full);
            // A name with & would otherwise lose it to the mnemonic.
            action->setText(QString::fromStdString(std::filesystem::path(name).filename().string())
                                .replace('&', QStringLiteral("&&")));
            action->setToolTip(full);
            action->setStatusTip(full);
            action->setVisible(true);
        } else {
            action->setData(QString());
            action->setText(QString());
            action->setVisible(false);
        }
    }
}

}  // namespace app
