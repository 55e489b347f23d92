#include "app/Importform.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <fstream>

#include "archive/Cp932.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "settings/Settings.h"

namespace app {

TVemoImportForm::TVemoImportForm(std::string settingsPath, QWidget* parent)
    : QDialog(parent), settingsPath_(std::move(settingsPath)) {
    setWindowTitle(tr("VEMOファイルのインポート"));
    setAccessibleName(windowTitle());
    remembered_ = ReadImportLayerMap(settings::ReadSettingsFile(settingsPath_));

    auto* hint =
        new QLabel(tr("ファイルの各レイヤー (Target) を受け取るレイヤー (Dest) を選んでください。"
                      "新しい名前を入力するとレイヤーを作ります。空欄のレイヤーは読み込みません。"));
    hint->setWordWrap(true);
    table_ = new QTableWidget(0, 2);
    table_->setHorizontalHeaderLabels({"Target", "Dest"});
    table_->setColumnWidth(0, 150);
    table_->setColumnWidth(1, 187);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setAccessibleName(tr("レイヤーの対応"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        TVemoImportResult result;
        std::string error;
        if (!Import(result, error)) {
            tell(error);
            return;
        }
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(table_, 1);
    layout->addWidget(buttons);
    resize(380, 320);
    tell = [this](const std::string& text) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(text));
    };
}

bool TVemoImportForm::Load(const std::string& file, TVemoDocument* document, std::string& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = tr("\"%1\" を開けませんでした。").arg(QString::fromStdString(file)).toStdString();
        return false;
    }
    file_ = file;
    document_ = document;
    TVemoImporter importer(in);
    const std::vector<std::string>& names = importer.LayerNames();
    const std::vector<std::string> destinations = DestinationsFor(names, remembered_);
    QStringList layers;
    const TVemoLayerList& list = document->GetLayerList();
    for (int i = 0; i < list.Count(); ++i) layers << QString::fromStdString(list.At(i)->GetName());
    table_->setRowCount(0);
    table_->setRowCount(int(names.size()));
    for (int r = 0; r < int(names.size()); ++r) {
        auto* target = new QTableWidgetItem(QString::fromStdString(names[std::size_t(r)]));
        target->setFlags(target->flags() & ~Qt::ItemIsEditable);
        table_->setItem(r, 0, target);
        auto* pick = new QComboBox;
        pick->setEditable(true);
        pick->addItems(layers);
        pick->setCurrentText(QString::fromStdString(destinations[std::size_t(r)]));
        pick->setAccessibleName(tr("Dest ") + target->text());
        table_->setCellWidget(r, 1, pick);
    }
    return true;
}

std::string TVemoImportForm::Destination(int row) const {
    const auto* pick = qobject_cast<QComboBox*>(table_->cellWidget(row, 1));
    return pick ? pick->currentText().trimmed().toStdString() : std::string();
}

void TVemoImportForm::SetDestination(int row, const std::string& name) {
    if (auto* pick = qobject_cast<QComboBox*>(table_->cellWidget(row, 1)))
        pick->setCurrentText(QString::fromStdString(name));
}

bool TVemoImportForm::Import(TVemoImportResult& result, std::string& error) {
    if (!document_) return false;
    std::ifstream in(file_, std::ios::binary);
    if (!in) {
        error = tr("\"%1\" を開けませんでした。").arg(QString::fromStdString(file_)).toStdString();
        return false;
    }
    std::vector<std::string> destinations;
    for (int r = 0; r < table_->rowCount(); ++r) {
        // A new layer's name must survive the file's 8-bit encoding, or the
        // saved document could not find its layer again.
        const std::string name = Destination(r);
        if (!name.empty() && !document_->GetLayerList().Find(name) && !CanEncodeCp932(name)) {
            error = tr("レイヤー名 \"%1\" には保存できない文字が含まれています。")
                        .arg(QString::fromStdString(name))
                        .toStdString();
            return false;
        }
        destinations.push_back(name);
    }
    result = ImportVemo(in, destinations, *document_, &remembered_);
    // The choices are kept at once: a later crash must not lose them.
    std::string ignored;
    settings::UpdateSettingsFile(
        settingsPath_, [&](settings::TIniFile& ini) { WriteImportLayerMap(ini, remembered_); }, ignored);
    if (imported) imported(result);
    return true;
}

}  // namespace app
