#pragma once
// The program's shared file dialogs: one open and one save dialog for every
// window, each prepared afresh for the purpose it is asked for (its file types
// and, for saving, the extension added to a bare name and the question before
// replacing a file), opening in the folder last used. On a desktop they are
// the platform's own dialogs.

#include <optional>
#include <string>

#include <QStringList>

#include "states/Vemoui.h"

class QFileDialog;
class QWidget;

namespace app {

class TVemoDialogs {
public:
    explicit TVemoDialogs(QWidget* parent);
    TVemoDialogs(const TVemoDialogs&) = delete;
    TVemoDialogs& operator=(const TVemoDialogs&) = delete;
    ~TVemoDialogs();

    // The file types offered for a purpose, first the purpose's own.
    static QStringList Filters(TFileKind kind);
    // The extension a bare name gets when saving ("" when none).
    static QString DefaultSuffix(TFileKind kind);

    // The dialogs, prepared for kind, with no file name proposed; each call
    // replaces the one the previous call gave.
    QFileDialog& OpenDialog(TFileKind kind);
    QFileDialog& SaveDialog(TFileKind kind);

    // Shows the prepared dialog modally: the chosen file, none when cancelled.
    std::optional<std::string> AskOpen(TFileKind kind);
    std::optional<std::string> AskSave(TFileKind kind);

private:
    QWidget* parent_;
    QFileDialog* open_ = nullptr;
    QFileDialog* save_ = nullptr;
    QString openFolder_, saveFolder_;
};

}  // namespace app
