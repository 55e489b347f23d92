#pragma once
// The layer replacement dialog: for each layer of the document, the layer its
// selected objects move to (empty: they stay). The table confirmed last is
// offered again the next time during the same run. A target layer the
// document lacks is made, and the step is undone as one.

#include <map>
#include <string>

#include <QDialog>

class QPushButton;
class QTableWidget;
class TVemoEventContext;

namespace app {

class TSwapLayerForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "SwapLayerForm";

    explicit TSwapLayerForm(std::string settingsPath, QWidget* parent = nullptr);
    ~TSwapLayerForm() override;

    void SetContext(TVemoEventContext* context) { context_ = context; }
    // Fills the table from the document's layers and the remembered mapping.
    void Fill();
    QTableWidget* SwapTable() const { return table_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    const std::map<std::string, std::string>& Remembered() const { return remembered_; }

public slots:
    // OK: moves the selected objects as the table says, then closes.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::string settingsPath_;
    TVemoEventContext* context_ = nullptr;
    QTableWidget* table_;
    QPushButton* ok_;
    QPushButton* cancel_;
    std::map<std::string, std::string> remembered_;
};

}  // namespace app
