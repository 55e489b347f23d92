#pragma once
// The main window's menu bar: File (with the Import and Export submenus and
// the recent files), Edit, Object, Window and Help. Every item carries its
// command name as its object name, so it can be found by it. Edit and Object
// items send their edit command to the current state through the context;
// File items run the file commands; Window items show and hide the panels;
// Help shows the version box. Items whose windows the editor does not have
// yet are disabled and say in their tooltip where the work can be done.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include <QKeySequence>
#include <QObject>

#include "app/Recentfiles.h"
#include "states/Filecommands.h"

class QAction;
class QDialog;
class QMainWindow;
class QMenu;
class QWidget;
class TVemoEventContext;

namespace app {

class TVemoMenus : public QObject {
    Q_OBJECT
public:
    // Builds the menus on window's menu bar and reads the recent files from
    // the settings file at settingsPath.
    TVemoMenus(QMainWindow& window, std::string settingsPath);
    ~TVemoMenus() override;

    // Until this is called the commands do nothing.
    void SetContext(TVemoEventContext* context, TFileCommands::StartingDocument starting);
    TFileCommands* FileCommands() { return files_.get(); }

    // The window a Window-menu item ("style", "layer") shows and hides.
    void SetWindow(const std::string& command, QWidget* window);
    // The modal dialog an item ("version", "swap_layer") shows.
    void SetDialog(const std::string& command, QDialog* dialog);
    // What an item does that shows another window ("print", "export_gerber",
    // ...): the item becomes available and runs it once there is a context.
    void SetCommand(const std::string& command, std::function<void()> run);

    // The first item with that command name; null when none.
    QAction* Action(const std::string& command) const;
    // The menu of a top-level or submenu command ("file", "import", ...).
    QMenu* Menu(const std::string& command) const;
    // The four recent-file items, in list order.
    QAction* RecentAction(int i) const { return recent_[i]; }

    // A document was given a name or opened: it goes to the front of the
    // recent list, which is written to the settings file at once.
    void AddRecentFile(const std::string& name);
    const TRecentFiles& Recent() const { return recentFiles_; }

private:
    QMenu* AddMenu(QMenu* parent, const char* command, const char* caption);
    QAction* AddItem(QMenu* menu, const char* command, const char* caption, const QKeySequence& keys = {});
    QAction* AddUnavailable(QMenu* menu, const char* command, const char* caption, const char* where,
                            const QKeySequence& keys = {});
    void RefreshRecent();
    void ShowDialog(const std::string& command);

    QMainWindow& window_;
    std::string settingsPath_;
    TVemoEventContext* context_ = nullptr;
    std::unique_ptr<TFileCommands> files_;
    TRecentFiles recentFiles_;
    QAction* recent_[TRecentFiles::kCount] = {};
    std::map<std::string, QMenu*> menus_;
    std::map<std::string, QWidget*> windows_;
    std::map<std::string, QDialog*> dialogs_;
};

}  // namespace app
