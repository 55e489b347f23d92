#include "app/Numericform.h"

#include <cmath>
#include <optional>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "geom/Units.h"
#include "states/Vemostylepanel.h"

namespace app {

namespace {

QLineEdit* Field(QWidget* parent, const char* name, const QString& accessible) {
    auto* edit = new QLineEdit(QStringLiteral("0"), parent);
    edit->setObjectName(name);
    edit->setAccessibleName(accessible);
    edit->setMinimumWidth(90);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

// A decimal number as typed; none for anything else, infinities and NaN included.
std::optional<double> Parse(const QLineEdit* edit) {
    bool ok = false;
    const double v = edit->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

TNumericForm::TNumericForm(QWidget* parent) : QDialog(parent) {
    setObjectName("NumericForm");
    setWindowTitle(tr("数値入力"));
    setAccessibleName(tr("数値入力"));

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("X"), this), 0, 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Y"), this), 0, 2, Qt::AlignHCenter);
    const auto row = [&](int r, const QString& caption, QLineEdit* x, QLineEdit* y) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(x);
        grid->addWidget(label, r, 0);
        grid->addWidget(x, r, 1);
        if (y) grid->addWidget(y, r, 2);
    };
    AnchorXEdit = Field(this, "AnchorXEdit", tr("基準 X (mm)"));
    AnchorYEdit = Field(this, "AnchorYEdit", tr("基準 Y (mm)"));
    OffsetXEdit = Field(this, "OffsetXEdit", tr("移動 X (mm)"));
    OffsetYEdit = Field(this, "OffsetYEdit", tr("移動 Y (mm)"));
    RotEdit = Field(this, "RotEdit", tr("回転 (deg)"));
    row(1, tr("基準 (mm)"), AnchorXEdit, AnchorYEdit);
    row(2, tr("移動 (mm)"), OffsetXEdit, OffsetYEdit);
    row(3, tr("回転 (deg)"), RotEdit, nullptr);

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setObjectName("OkButton");
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName("CancelButton");
    connect(OkButton, &QPushButton::clicked, this, &TNumericForm::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);

    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(buttons);
    setFixedSize(sizeHint());
}

void TNumericForm::showEvent(QShowEvent* event) {
    AnchorXEdit->setText(QString::fromStdString(ShortestDecimal(units::ToMm(anchor_.x))));
    AnchorYEdit->setText(QString::fromStdString(ShortestDecimal(units::ToMm(anchor_.y))));
    QDialog::showEvent(event);
}

void TNumericForm::OkButtonClick() {
    const std::optional<double> ax = Parse(AnchorXEdit), ay = Parse(AnchorYEdit), ox = Parse(OffsetXEdit),
                                oy = Parse(OffsetYEdit), rot = Parse(RotEdit);
    if (!ax || !ay || !ox || !oy || !rot) {
        QMessageBox::warning(this, windowTitle(), tr("無効な値が含まれています。"));
        return;
    }
    anchor_ = PointF(float(units::FromMm(*ax)), float(units::FromMm(*ay)));
    matrix_.Reset();
    matrix_.Translate(float(units::FromMm(*ox)), float(units::FromMm(*oy)));
    matrix_.RotateAt(float(*rot), anchor_);
    accept();
}

}  // namespace app
