#pragma once
// The numeric input dialog of the selection tool: a move by an offset, then a
// turn about an anchor, typed in millimetres and degrees. The anchor comes
// from the click that opened the dialog; the other fields keep what was typed
// last time.

#include <QDialog>

#include "model/Vemotypes.h"

class QLineEdit;
class QPushButton;

namespace app {

class TNumericForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kInvalidValue = "無効な値が含まれています。";

    explicit TNumericForm(QWidget* parent = nullptr);

    // Document units; shown in millimetres when the dialog opens.
    void SetAnchor(PointF anchor) { anchor_ = anchor; }
    PointF Anchor() const { return anchor_; }
    // The transform made by the last OK: translate by the offset, then rotate
    // by the angle about the anchor (clockwise on the screen for positive angles).
    const Matrix& Transform() const { return matrix_; }

    QLineEdit* AnchorXEdit = nullptr;
    QLineEdit* AnchorYEdit = nullptr;
    QLineEdit* OffsetXEdit = nullptr;
    QLineEdit* OffsetYEdit = nullptr;
    QLineEdit* RotEdit = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OkButtonClick();

    PointF anchor_{};
    Matrix matrix_;
};

}  // namespace app
