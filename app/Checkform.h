#pragma once
// The design-rule check window: the rule values (typed, or taken from a shipped
// preset), a Run button, and the findings. The check runs on a copy of the
// board on a thread of its own, so the editor stays usable and the check can be
// cancelled. Choosing a finding centres and zooms the view on it and selects
// the objects involved with the select tool; the main window marks every
// finding until the board is next changed. The rules are kept in zelko.ini.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <QDialog>
#include <QTimer>

#include "check/Designcheck.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class TVemoEventContext;

namespace app {

class TVemoForm;

// What identifies the board's present state: any edit, undo or redo, and any
// other document, gives another stamp.
struct TBoardStamp {
    const void* document = nullptr;
    const void* step = nullptr;
    std::size_t steps = 0;
    std::size_t current = 0;
    bool operator==(const TBoardStamp&) const = default;
};
TBoardStamp StampOf(TVemoEventContext& context);

class TCheckForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "CheckForm";

    TCheckForm(TVemoForm& form, std::string settingsPath);
    ~TCheckForm() override;

    void SetContext(TVemoEventContext* context) { context_ = context; }

    // The rules as the fields say, or the reason they are refused (the field
    // at fault gets the focus).
    bool ReadFields(check::TDesignRules& rules, std::string& error);
    // Starts a check of the board as it is now; false when the rules are
    // refused (the user has been told).
    bool Run();
    // Stops a check under way; the findings stay empty.
    void Cancel();
    bool Running() const { return worker_.joinable(); }
    // The findings of the last check that completed, on the board as it was then.
    const check::TCheckReport& Report() const { return report_; }
    // Centres the view on finding i, selects its objects and highlights its mark.
    void ShowViolation(int i);
    // The board changed since the check: the marks are gone and the list is out of date.
    void BoardChanged();

    QComboBox* PresetBox() const { return preset_; }
    QLineEdit* Field(const std::string& rule) const;
    QLineEdit* CopperLayersField() const { return copper_; }
    QCheckBox* SilkBox() const { return silk_; }
    QPushButton* RunButton() const { return run_; }
    QPushButton* CancelButton() const { return cancel_; }
    QProgressBar* Progress() const { return progress_; }
    QTableWidget* Table() const { return table_; }
    QLabel* Summary() const { return summary_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct TPreset {
        std::string name;  // as the file names it
        std::string path;
    };
    void LoadPresets();
    void ChoosePreset(int index);
    void ShowRules(const check::TDesignRules& rules);
    void LoadRules();
    void SaveRules(const check::TDesignRules& rules);
    void Poll();
    void Finished();
    void FillTable();
    void SetRunning(bool running);

    TVemoForm& form_;
    std::string settingsPath_;
    TVemoEventContext* context_ = nullptr;
    std::vector<TPreset> presets_;

    QComboBox* preset_;
    std::vector<std::pair<std::string, QLineEdit*>> fields_;
    QLineEdit* copper_;
    QCheckBox* silk_;
    QPushButton* run_;
    QPushButton* cancel_;
    QProgressBar* progress_;
    QTableWidget* table_;
    QLabel* summary_;
    QLabel* step_;

    // The check under way: its own copy of the board, and what it reports back.
    std::thread worker_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> done_{false};
    std::mutex mutex_;  // guards progress and result
    double progressDone_ = 0.0;
    std::string progressStep_;
    check::TCheckReport result_;
    QTimer poll_;

    check::TCheckReport report_;
    TBoardStamp stamp_;
    bool stale_ = false;
};

}  // namespace app
