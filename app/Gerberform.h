#pragma once
// The Gerber export dialog: a grid of the layers with their output and hole
// flags, the two pen widths, and (for a board house) the Gerber flavour, the
// drill file and the fab package. OK asks for a folder, writes every file or
// none, and shows what was written or why nothing was.

#include <functional>
#include <string>

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTableWidget;
class QTabWidget;
class TVemoDocument;
class TVemoResource;

namespace app {

class TGerberForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "ガーバ出力";

    TGerberForm(const TVemoResource* resources, QWidget* parent = nullptr);

    // The document the next showing works on; the grid is filled from it.
    void SetDocument(TVemoDocument* document);
    // Asks for the output folder; empty means cancelled. A native folder
    // browser unless replaced (tests answer without a screen).
    std::function<std::string(const std::string& start)> askFolder;
    // Shows the outcome; a message box unless replaced.
    std::function<void(bool ok, const std::string& text)> tell;

    QTableWidget* Grid() { return grid_; }
    QLineEdit* FillPenEdit() { return fillPen_; }
    QLineEdit* TextPenEdit() { return textPen_; }
    QComboBox* FlavourBox() { return flavour_; }
    QCheckBox* DrillBox() { return drill_; }
    QCheckBox* FabBox() { return fab_; }
    // What the last OK said.
    const std::string& LastSummary() const { return summary_; }

    // The OK button's work; true when the files were written (the dialog then closes).
    bool Export();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillGrid();
    void ToggleCell(int row, int column);
    void ShowFlags(int row);

    const TVemoResource* resources_;
    TVemoDocument* document_ = nullptr;
    QTabWidget* tabs_;
    QTableWidget* grid_;
    QLineEdit* fillPen_;
    QLineEdit* textPen_;
    QComboBox* flavour_;
    QCheckBox* drill_;
    QCheckBox* fab_;
    std::string folder_;  // the last folder chosen since the program started
    std::string summary_;
};

}  // namespace app
