#include "app/Layeredit.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "archive/Cp932.h"
#include "model/Vemolayerlist.h"

namespace app {

TLayerEdit::TLayerEdit(QWidget* parent) : QDialog(parent) {
    setObjectName("LayerEdit");
    setWindowTitle(QString());
    setAccessibleName(tr("レイヤーの編集"));

    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName("NameEdit");
    nameEdit_->setAccessibleName(tr("名前"));
    pallet_ = new QPushButton(this);
    pallet_->setObjectName("PalletBox");
    pallet_->setAccessibleName(tr("いろ"));
    pallet_->setToolTip(tr("クリックして色を選びます"));
    pallet_->setFixedSize(48, 22);
    pallet_->setAutoDefault(false);
    connect(pallet_, &QPushButton::clicked, this, &TLayerEdit::ChooseColour);

    const auto check = [this](const char* name, const QString& caption) {
        auto* box = new QCheckBox(caption, this);
        box->setObjectName(name);
        return box;
    };
    mask_ = check("MaskCheckBox", tr("切り抜く"));
    wire_ = check("WireCheckBox", tr("ワイヤーフレーム"));
    opaque_ = check("OpaqueCheckBox", tr("不透明"));
    textDraw_ = check("TextDrawCheckBox", tr("文字列として出力"));

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName("ButtonOK");
    ok_->setDefault(true);  // Enter is OK
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName("ButtonCancel");
    cancel_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &TLayerEdit::accept);
    connect(cancel_, &QPushButton::clicked, this, &TLayerEdit::reject);

    auto* form = new QFormLayout;
    form->addRow(tr("名前:"), nameEdit_);
    form->addRow(tr("いろ:"), pallet_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    for (QCheckBox* box : {mask_, wire_, opaque_, textDraw_}) column->addWidget(box);
    column->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(260, 0)));
}

void TLayerEdit::LoadLayer(const TVemoLayerPtr& layer, const TVemoLayerList* list) {
    layer_ = layer;
    list_ = list;
    if (!layer) return;
    nameEdit_->setText(QString::fromStdString(layer->GetName()));
    nameEdit_->selectAll();
    nameEdit_->setFocus();
    mask_->setChecked(layer->IsCutOut());
    wire_->setChecked(layer->IsWireFrame());
    opaque_->setChecked(layer->IsOpaque());
    textDraw_->setChecked(layer->IsTextOutput());
    // The layer's own colour: the one it is painted in may be the cut-out colour.
    colour_ = QColor::fromRgb(layer->GetOpaqueColour() & 0xFFFFFFu);
    ShowColour();
}

QString TLayerEdit::NameProblem(const QString& name, const TVemoLayer* layer, const TVemoLayerList* list) {
    if (name.trimmed().isEmpty()) return tr("レイヤー名を入力してください。");
    const std::string utf8 = name.toStdString();
    if (!CanEncodeCp932(utf8))
        return QStringLiteral("レイヤー名 \"%1\" にはファイルに保存できない文字があります。").arg(name);
    if (list) {
        bool inList = false;
        bool taken = false;
        for (int i = 0; i < list->Count(); ++i) {
            const TVemoLayerPtr other = list->At(i);
            if (other.get() == layer)
                inList = true;
            else if (other && other->GetName() == utf8)
                taken = true;
        }
        if (inList && taken)
            return QStringLiteral("レイヤー \"%1\" はすでにあります。別の名前にしてください。").arg(name);
    }
    return {};
}

void TLayerEdit::accept() {
    if (layer_) {
        const QString problem = NameProblem(nameEdit_->text(), layer_.get(), list_);
        if (!problem.isEmpty()) {
            QMessageBox::warning(this, tr("レイヤー"), problem);
            nameEdit_->setFocus();
            nameEdit_->selectAll();
            return;
        }
        layer_->SetName(nameEdit_->text().toStdString());
        layer_->SetCutOut(mask_->isChecked());
        layer_->SetWireFrame(wire_->isChecked());
        layer_->SetOpaque(opaque_->isChecked());
        layer_->SetTextOutput(textDraw_->isChecked());
        layer_->SetColour(0xFF000000u | (colour_.rgb() & 0xFFFFFFu));
    }
    QDialog::accept();
}

void TLayerEdit::ChooseColour() {
    QColorDialog dialog(colour_, this);
    dialog.setObjectName("ColorDialog");
    if (dialog.exec() != QDialog::Accepted) return;
    colour_ = dialog.currentColor();
    ShowColour();
}

void TLayerEdit::ShowColour() {
    pallet_->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; border: 1px solid black; }").arg(colour_.name()));
}

}  // namespace app
