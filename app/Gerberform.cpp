#include "app/Gerberform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <charconv>
#include <cmath>
#include <filesystem>

#include "app/Vemoresource.h"
#include "archive/Safefile.h"
#include "gerber/Gerberexport.h"
#include "gerber/Gerberx2.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "output/Exportdrill.h"
#include "output/Fabpackage.h"

namespace app {

namespace {

// Qt's folder chooser refuses a folder that does not exist yet; a user who
// types the name of a new one wants it made, as `zelko export gerber` does.
class TOutputFolderDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QString path = selectedFiles().value(0);
        if (!path.isEmpty() && !QFileInfo::exists(path) && !QDir().mkpath(path)) {
            QMessageBox::warning(
                this, windowTitle(),
                TGerberForm::tr("フォルダ \"%1\" を作れませんでした。").arg(QDir::toNativeSeparators(path)));
            return;
        }
        QFileDialog::accept();
    }
};

}  // namespace

namespace {

constexpr int kOutputColumn = 1, kHoleColumn = 2;

// A width in millimetres from a box: a plain decimal number from 0 to 100,
// read the same in every locale.
bool ReadWidth(const QLineEdit& edit, double& value) {
    const std::string text = edit.text().trimmed().toStdString();
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value) && value >= 0.0 && value <= kMaxPenWidthMm;
}

std::string BoardName(const TVemoDocument& document) {
    const std::string stem = std::filesystem::path(document.GetFileName()).stem().string();
    return stem.empty() ? "board" : stem;
}

// Space and Enter toggle the current cell, as a click does; moving with the
// arrow keys only moves.
class TToggleKeys : public QObject {
public:
    TToggleKeys(QTableWidget* grid, std::function<void(int, int)> toggle)
        : QObject(grid), grid_(grid), toggle_(std::move(toggle)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter) return false;
        if (grid_->currentRow() >= 0) toggle_(grid_->currentRow(), grid_->currentColumn());
        return true;
    }

private:
    QTableWidget* grid_;
    std::function<void(int, int)> toggle_;
};

}  // namespace

TGerberForm::TGerberForm(const TVemoResource* resources, QWidget* parent)
    : QDialog(parent), resources_(resources) {
    setWindowTitle(tr("ガーバ出力"));
    setAccessibleName(windowTitle());
    tabs_ = new QTabWidget(this);

    grid_ = new QTableWidget(0, 4);
    grid_->setHorizontalHeaderLabels({"Layer", "Output", "Hole", "Outline"});
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(20);
    const int widths[] = {98, 64, 64, 64};
    for (int c = 0; c < 4; ++c) grid_->setColumnWidth(c, widths[c]);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setAccessibleName(tr("出力レイヤー"));
    grid_->setToolTip(tr("Output: ガーバファイルに出力するレイヤー / Hole: 穴のレイヤー"));
    connect(grid_, &QTableWidget::cellClicked, this,
            [this](int row, int column) { ToggleCell(row, column); });
    grid_->installEventFilter(
        new TToggleKeys(grid_, [this](int row, int column) { ToggleCell(row, column); }));
    tabs_->addTab(grid_, tr("出力レイヤー"));

    auto* settings = new QWidget;
    auto* form = new QFormLayout(settings);
    fillPen_ = new QLineEdit("0.3");
    fillPen_->setAccessibleName(tr("デフォルト線幅[mm]"));
    textPen_ = new QLineEdit("0.1");
    textPen_->setAccessibleName(tr("テキスト出力時の線幅[mm]"));
    form->addRow(tr("デフォルト線幅[mm]"), fillPen_);
    form->addRow(tr("テキスト出力時の線幅[mm]"), textPen_);
    flavour_ = new QComboBox;
    flavour_->addItem(tr("RS-274X (標準)"));
    flavour_->addItem(tr("Gerber X2 (基板メーカー向け)"));
    flavour_->setAccessibleName(tr("形式"));
    flavour_->setToolTip(tr("Gerber X2: ミリ単位、ファイル属性付き、塗りつぶしは領域で出力します"));
    form->addRow(tr("形式"), flavour_);
    drill_ = new QCheckBox(tr("ドリルファイル (.drl) も出力する"));
    drill_->setAccessibleName(drill_->text());
    form->addRow(drill_);
    fab_ = new QCheckBox(tr("基板メーカー用パッケージ (.zip) も出力する"));
    fab_->setAccessibleName(fab_->text());
    fab_->setToolTip(tr("Gerber X2 ファイル、ドリルファイル、説明書を一つの zip にまとめます"));
    form->addRow(fab_);
    tabs_->addTab(settings, tr("設定"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Export()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    resize(340, 320);

    askFolder = [this](const std::string& start) {
        TOutputFolderDialog dialog(this, tr("出力先の選択"), QString::fromStdString(start));
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        if (dialog.exec() != QDialog::Accepted) return std::string();
        return dialog.selectedFiles().value(0).toStdString();
    };
    tell = [this](bool ok, const std::string& text) {
        if (ok)
            QMessageBox::information(this, windowTitle(), QString::fromStdString(text));
        else
            QMessageBox::warning(this, windowTitle(), QString::fromStdString(text));
    };
}

void TGerberForm::SetDocument(TVemoDocument* document) {
    document_ = document;
    FillGrid();
}

void TGerberForm::showEvent(QShowEvent* event) {
    FillGrid();
    QDialog::showEvent(event);
}

void TGerberForm::FillGrid() {
    grid_->setRowCount(0);
    if (!document_) return;
    const TVemoLayerList& layers = document_->GetLayerList();
    grid_->setRowCount(layers.Count());
    for (int i = 0; i < layers.Count(); ++i) {
        auto* name = new QTableWidgetItem(QString::fromStdString(layers.At(i)->GetName()));
        grid_->setItem(i, 0, name);
        for (int c = 1; c < 4; ++c) grid_->setItem(i, c, new QTableWidgetItem);
        ShowFlags(i);
    }
}

void TGerberForm::ShowFlags(int row) {
    const TVemoLayerPtr layer = document_->GetLayerList().At(row);
    const QIcon check = resources_ ? resources_->Icon("Check") : QIcon();
    for (const auto& [column, on] :
         {std::pair{kOutputColumn, layer->IsOutput()}, {kHoleColumn, layer->IsHole()}}) {
        QTableWidgetItem* item = grid_->item(row, column);
        item->setIcon(on && !check.isNull() ? check : QIcon());
        item->setText(on && check.isNull() ? tr("✓") : QString());
        item->setData(Qt::AccessibleTextRole, on ? "on" : "off");
    }
}

void TGerberForm::ToggleCell(int row, int column) {
    if (!document_ || row < 0 || row >= document_->GetLayerList().Count()) return;
    const TVemoLayerPtr layer = document_->GetLayerList().At(row);
    if (column == kOutputColumn)
        layer->SetOutput(!layer->IsOutput());
    else if (column == kHoleColumn)
        layer->SetHole(!layer->IsHole());
    else
        return;
    ShowFlags(row);
}

bool TGerberForm::Export() {
    summary_.clear();
    if (!document_) return false;
    double pen = 0, textPen = 0;
    for (const auto& [edit, value] : {std::pair{fillPen_, &pen}, {textPen_, &textPen}}) {
        if (ReadWidth(*edit, *value)) continue;
        summary_ = tr("「%1」には 0 から 100 までの数を入れてください: \"%2\"")
                       .arg(edit->accessibleName(), edit->text())
                       .toStdString();
        tabs_->setCurrentIndex(1);
        edit->setFocus();
        tell(false, summary_);
        return false;
    }
    const std::string folder = askFolder(folder_);
    if (folder.empty()) return false;  // cancelled: nothing written, the dialog stays
    folder_ = folder;

    const TVemoLayerList& layers = document_->GetLayerList();
    bool anyOutput = false;
    for (int i = 0; i < layers.Count(); ++i) anyOutput = anyOutput || layers.At(i)->IsOutput();
    if (!anyOutput && !drill_->isChecked()) {
        summary_ =
            tr("出力するレイヤーがありません。「出力レイヤー」の Output 欄でレイヤーを選んでください。")
                .toStdString();
        tell(false, summary_);
        return false;
    }

    std::string written, problems;
    const auto list = [](const TGerberExportResult& result, std::string& out) {
        for (const TGerberLayerResult& layer : result.layers)
            if (layer.written) out += "  " + layer.path + " (" + std::to_string(layer.bytes) + " bytes)\n";
    };
    const auto failures = [](const TGerberExportResult& result) {
        std::string text = result.error.empty() ? "" : result.error + "\n";
        for (const TGerberLayerResult& layer : result.layers)
            if (!layer.error.empty()) text += "  " + layer.layer + ": " + layer.error + "\n";
        return text;
    };
    std::string warnings;
    TX2ExportOptions x2;
    x2.folder = folder;
    x2.penWidth = pen;
    x2.textPenWidth = textPen;
    x2.board = BoardName(*document_);
    if (anyOutput) {
        TGerberExportResult result;
        if (flavour_->currentIndex() == 1) {
            result = ExportGerberX2(*document_, x2);
        } else {
            TGerberExportOptions options;
            options.folder = folder;
            options.penWidth = pen;
            options.textPenWidth = textPen;
            result = ExportGerber(*document_, options);
        }
        if (!result.Succeeded()) {
            summary_ = tr("ガーバファイルを出力できませんでした。何も書き出していません。").toStdString() +
                       "\n" + failures(result);
            tell(false, summary_);
            return false;
        }
        list(result, written);
        for (const std::string& w : result.warnings) warnings += "  " + w + "\n";
    }
    if (drill_->isChecked()) {
        const TVemoLayerPtr holes = DrillLayer(*document_);
        if (!holes) {
            problems += tr("ドリルファイル: 穴のレイヤーがありません").toStdString() + "\n";
        } else {
            const TDrillFile drill = BuildDrill(*document_, holes, x2.board);
            const std::string path = (std::filesystem::path(folder) / (x2.board + ".drl")).string();
            std::string error;
            if (WriteFileSafely(path, drill.bytes, error))
                written += "  " + path + " (" + std::to_string(drill.holes) + " holes)\n";
            else
                problems += tr("ドリルファイル: %1").arg(QString::fromStdString(error)).toStdString() + "\n";
            for (const std::string& r : drill.refused) warnings += "  " + r + "\n";
        }
    }
    if (fab_->isChecked()) {
        const std::string path = (std::filesystem::path(folder) / (x2.board + ".zip")).string();
        TFabPackageResult result;
        std::string error;
        if (ExportFabPackage(*document_, path, x2, result, error))
            written += "  " + path + " (" + std::to_string(result.files.size()) + " files)\n";
        else
            problems += tr("パッケージ: %1").arg(QString::fromStdString(error)).toStdString() + "\n";
        for (const std::string& w : result.warnings) warnings += "  " + w + "\n";
    }
    const auto heading = [](const QString& text) { return text.toStdString() + "\n"; };
    summary_ = (written.empty() ? "" : heading(tr("書き出しました:")) + written) +
               (problems.empty() ? "" : heading(tr("書き出せなかったもの:")) + problems) +
               (warnings.empty() ? "" : heading(tr("注意:")) + warnings);
    tell(problems.empty(), summary_);
    return problems.empty();
}

}  // namespace app
