#include "app/Swaplayerform.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/Layeredit.h"
#include "app/Vemoformtemplate.h"
#include "model/Vemodocument.h"
#include "model/Vemoobjectvisitor.h"
#include "states/Vemoeditstep.h"
#include "states/Vemoeventcontext.h"

namespace app {

TSwapLayerForm::TSwapLayerForm(std::string settingsPath, QWidget* parent)
    : QDialog(parent), settingsPath_(std::move(settingsPath)) {
    setObjectName(kSection);
    setWindowTitle(tr("レイヤーの置換"));
    table_ = new QTableWidget(0, 2, this);
    table_->setObjectName("SwapTable");
    table_->setAccessibleName(tr("レイヤーの置換表"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Target"), QStringLiteral("Dest")});
    table_->setColumnWidth(0, 116);
    table_->setColumnWidth(1, 221);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName("OkButton");
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName("CancelButton");
    cancel_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &TSwapLayerForm::accept);
    connect(cancel_, &QPushButton::clicked, this, &TSwapLayerForm::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* column = new QVBoxLayout(this);
    column->addWidget(table_, 1);
    column->addLayout(buttons);
    LoadFormPlacement(*this, settingsPath_, kSection, CentredOnFirstScreen(380, 360));
}

TSwapLayerForm::~TSwapLayerForm() {
    std::string error;
    SaveFormPlacement(*this, settingsPath_, kSection, error);
}

void TSwapLayerForm::showEvent(QShowEvent* event) {
    Fill();
    QDialog::showEvent(event);
}

void TSwapLayerForm::Fill() {
    // The old pick lists go later; unnamed, they are not taken for the new ones meanwhile.
    for (int i = 0; i < table_->rowCount(); ++i)
        if (QWidget* old = table_->cellWidget(i, 1)) old->setObjectName(QString());
    table_->setRowCount(0);
    if (!context_) return;
    const TVemoLayerList& layers = context_->Document().GetLayerList();
    QStringList names{QString()};
    for (int i = 0; i < layers.Count(); ++i) names << QString::fromStdString(layers.At(i)->GetName());
    table_->setRowCount(layers.Count());
    for (int i = 0; i < layers.Count(); ++i) {
        const std::string name = layers.At(i)->GetName();
        auto* key = new QTableWidgetItem(QString::fromStdString(name));
        key->setFlags(Qt::ItemIsEnabled);
        table_->setItem(i, 0, key);
        auto* value = new QComboBox(table_);
        value->setObjectName(QStringLiteral("dest:") + QString::fromStdString(name));
        value->setAccessibleName(tr("%1 の置換先").arg(QString::fromStdString(name)));
        value->addItems(names);
        // A name that is not a layer yet makes one.
        value->setEditable(true);
        value->setInsertPolicy(QComboBox::NoInsert);
        const auto it = remembered_.find(name);
        value->setCurrentText(it == remembered_.end() ? QString() : QString::fromStdString(it->second));
        table_->setCellWidget(i, 1, value);
    }
}

void TSwapLayerForm::accept() {
    // A layer made for a new name must survive the file, as a typed layer name must.
    for (int i = 0; i < table_->rowCount(); ++i) {
        const auto* value = qobject_cast<const QComboBox*>(table_->cellWidget(i, 1));
        if (!value || value->currentText().isEmpty()) continue;
        const QString problem = TLayerEdit::NameProblem(value->currentText(), nullptr, nullptr);
        if (!problem.isEmpty()) {
            QMessageBox::warning(this, windowTitle(), problem);
            return;
        }
    }
    if (context_) {
        TVemoDocument& doc = context_->Document();
        TSwapLayerVisitor visitor(doc.GetLayerList());
        remembered_.clear();
        for (int i = 0; i < table_->rowCount(); ++i) {
            const QTableWidgetItem* key = table_->item(i, 0);
            const auto* value = qobject_cast<const QComboBox*>(table_->cellWidget(i, 1));
            if (!key || !value) continue;
            const std::string from = key->text().toStdString(), to = value->currentText().toStdString();
            remembered_[from] = to;
            if (!to.empty()) visitor.GetNameMap()[from] = to;
        }
        doc.GetRoot().AcceptDeep(visitor);
        if (visitor.LayersCreated()) {
            TEditStep(*context_, TStepKind::Objects).Commit();
            context_->Invalidate();
            context_->Ui().RefreshLayers();
        } else if (visitor.ObjectsChanged()) {
            TEditStep(*context_, TStepKind::Root).Commit();
            context_->Invalidate();
        }
    }
    QDialog::accept();
}

}  // namespace app
