#include "app/Graphtoolform.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemopart.h"

namespace app {

TLineGraphFrame::TLineGraphFrame(std::string settingsPath, QWidget* parent, std::string oldSettingsPath)
    : QWidget(parent), settingsPath_(std::move(settingsPath)), oldSettingsPath_(std::move(oldSettingsPath)) {
    items_ = new QListWidget;
    items_->setAccessibleName(tr("項目"));
    items_->setMaximumWidth(120);
    connect(items_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!filling_ && row >= 0) ShowItem(row);
    });
    property_ = new QTableWidget(0, 2);
    property_->setHorizontalHeaderLabels({tr("項目"), tr("値")});
    property_->setColumnWidth(0, 74);
    property_->setColumnWidth(1, 211);
    property_->verticalHeader()->hide();
    property_->horizontalHeader()->setStretchLastSection(true);
    property_->setAccessibleName(tr("グラフの設定"));
    connect(property_, &QTableWidget::itemChanged, this, [this] {
        if (!filling_) apply_->setEnabled(true);
    });
    read_ = new QPushButton(tr("読み込み"));
    read_->setToolTip(tr("タブ区切りか CSV の数値データを読み込みます"));
    ok_ = new QPushButton("OK");
    auto* cancel = new QPushButton("Cancel");
    apply_ = new QPushButton("Apply");
    apply_->setEnabled(false);
    for (QPushButton* b : {read_, ok_, cancel, apply_}) b->setAccessibleName(b->text());
    connect(read_, &QPushButton::clicked, this, [this] {
        const std::string file = askDataFile(lastFile_);
        if (!file.empty()) ReadFile(file);
    });
    connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (AddGraph()) window()->close();
    });
    connect(cancel, &QPushButton::clicked, this, [this] { window()->close(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(read_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    buttons->addWidget(apply_);
    auto* top = new QHBoxLayout;
    top->addWidget(items_);
    top->addWidget(property_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    FillProperty(InitialGraphProperties());
    askDataFile = [this](const std::string& last) {
        return QFileDialog::getOpenFileName(this, tr("データファイル"), QString::fromStdString(last),
                                            "Tab files (*.tab);;CSV files (*.csv);;All files (*)")
            .toStdString();
    };
    tell = [this](const std::string& text) {
        QMessageBox::warning(this, window()->windowTitle(), QString::fromStdString(text));
    };
}

void TLineGraphFrame::SetDocument(TVemoDocument* document) {
    document_ = document;
    unit_.SetDocument(document);
}

void TLineGraphFrame::FillProperty(const TGraphProperties& rows) {
    filling_ = true;
    property_->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        auto* key = new QTableWidgetItem(QString::fromStdString(rows[std::size_t(r)].key));
        key->setFlags(key->flags() & ~Qt::ItemIsEditable);
        property_->setItem(r, 0, key);
        property_->setItem(r, 1, new QTableWidgetItem(QString::fromStdString(rows[std::size_t(r)].value)));
    }
    filling_ = false;
    apply_->setEnabled(false);
}

bool TLineGraphFrame::SetValue(const std::string& key, const std::string& value) {
    for (int r = 0; r < property_->rowCount(); ++r)
        if (property_->item(r, 0)->text().toStdString() == key) {
            property_->item(r, 1)->setText(QString::fromStdString(value));
            return true;
        }
    return false;
}

void TLineGraphFrame::ShowItem(int item) {
    FillProperty(ShowGraphItem(unit_, item));
}

bool TLineGraphFrame::ReadFile(const std::string& file) {
    lastFile_ = file;
    std::string error;
    if (!unit_.ReadData(file, &error)) {
        tell(tr("\"%1\" を読み込めませんでした: %2")
                 .arg(QString::fromStdString(file), QString::fromStdString(error))
                 .toStdString());
        return false;
    }
    std::string moveError;
    TLineGraphUnit::AdoptOldSettings(oldSettingsPath_, settingsPath_, moveError);
    // Settings that could not move are read where they are, so none are lost.
    unit_.LoadSettings(moveError.empty() ? settingsPath_ : oldSettingsPath_);
    if (!moveError.empty())
        tell(tr("グラフの設定を %1 に移せませんでした: %2")
                 .arg(QString::fromStdString(settingsPath_), QString::fromStdString(moveError))
                 .toStdString());
    filling_ = true;
    items_->clear();
    for (int i = 0; i < unit_.ItemCount(); ++i) items_->addItem("item" + QString::number(i));
    filling_ = false;
    if (unit_.ItemCount() == 0) {
        tell(tr("\"%1\" には数値の行がありません。").arg(QString::fromStdString(file)).toStdString());
        return false;
    }
    items_->setCurrentRow(0);
    ShowItem(0);
    if (!unit_.BrokenRows().empty())
        tell(tr("%1 行に数値でない値があり、その行の残りを読み飛ばしました (最初は %2 行目)。")
                 .arg(unit_.BrokenRows().size())
                 .arg(unit_.BrokenRows().front().line)
                 .toStdString());
    return true;
}

bool TLineGraphFrame::Apply() {
    const int item = items_->currentRow();
    if (item < 0 || item >= unit_.ItemCount()) return false;
    TGraphProperties rows;
    for (int r = 0; r < property_->rowCount(); ++r)
        rows.push_back({property_->item(r, 0)->text().toStdString(),
                        property_->item(r, 1)->text().trimmed().toStdString()});
    std::string message;
    const bool ok = ApplyGraphProperties(unit_, item, rows, message);
    apply_->setEnabled(false);
    std::string error;
    if (!unit_.SaveSettings(settingsPath_, error))
        tell(tr("グラフの設定を保存できませんでした: %1").arg(QString::fromStdString(error)).toStdString());
    if (!ok)
        tell(message == kInvalidGraphValueMessage ? tr("無効な値が含まれています。").toStdString() : message);
    return ok;
}

TVemoGroup* TLineGraphFrame::AddGraph() {
    if (!document_ || unit_.ItemCount() == 0) {
        tell(tr("グラフにするデータがありません。「読み込み」でデータファイルを読んでください。")
                 .toStdString());
        return nullptr;
    }
    std::unique_ptr<TVemoGroup> group = unit_.BuildGroup();
    if (!group) return nullptr;
    group->Rebuild();
    auto* added = static_cast<TVemoGroup*>(document_->GetRoot().AddChild(std::move(group)));
    if (added && this->added) this->added(added);
    return added;
}

TGraphToolForm::TGraphToolForm(std::string settingsPath, QWidget* parent, std::string oldSettingsPath)
    : QDialog(parent) {
    setWindowTitle(tr("GraphToolForm"));
    setAccessibleName(tr("グラフツール"));
    frame_ = new TLineGraphFrame(std::move(settingsPath), nullptr, std::move(oldSettingsPath));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame_);
    resize(420, 440);
}

}  // namespace app
