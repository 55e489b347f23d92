#pragma once
// The import dialog of line-and-land files: one row per layer of the file,
// each with the document layer that receives its items (picked from the
// document's layers or typed: a new name makes a new layer). The choices are
// remembered per legacy layer name in the settings file, section "ImportLayer".

#include <functional>
#include <string>

#include <QDialog>

#include "import/Vemoimport.h"

class QTableWidget;
class TVemoDocument;

namespace app {

class TVemoImportForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "VEMOファイルのインポート";

    // The remembered mapping is read from the settings file at settingsPath.
    explicit TVemoImportForm(std::string settingsPath, QWidget* parent = nullptr);

    // Reads the legacy layers of file and fills the table for document; false,
    // with the reason, when the file cannot be read.
    bool Load(const std::string& file, TVemoDocument* document, std::string& error);
    // The OK button's work: the items are added to the document as one group.
    // False, with the reason, when the file cannot be read again.
    bool Import(TVemoImportResult& result, std::string& error);

    QTableWidget* Table() { return table_; }
    // The destination typed or picked in row r.
    std::string Destination(int row) const;
    void SetDestination(int row, const std::string& name);
    const TImportLayerMap& Remembered() const { return remembered_; }

    // Called after OK added the group, for the undo step and the redraw.
    std::function<void(const TVemoImportResult&)> imported;
    // Shows a failure; a message box unless replaced.
    std::function<void(const std::string&)> tell;

private:
    std::string settingsPath_;
    std::string file_;
    TVemoDocument* document_ = nullptr;
    TImportLayerMap remembered_;
    QTableWidget* table_;
};

}  // namespace app
