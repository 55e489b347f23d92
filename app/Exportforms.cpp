#include "app/Exportforms.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <charconv>
#include <cmath>

#include "model/Vemodocument.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "output/Exportbitmap.h"
#include "output/Exportemf.h"
#include "settings/Settings.h"

namespace app {

namespace {

QGroupBox* Choice(const QString& caption, QRadioButton*& first, const QString& a, QRadioButton*& second,
                  const QString& b) {
    auto* group = new QGroupBox(caption);
    first = new QRadioButton(a);
    second = new QRadioButton(b);
    auto* layout = new QHBoxLayout(group);
    for (QRadioButton* r : {first, second}) {
        r->setAccessibleName(r->text());
        layout->addWidget(r);
    }
    return group;
}

QCheckBox* Check(const QString& caption, QLayout* into) {
    auto* box = new QCheckBox(caption);
    box->setAccessibleName(box->text());
    into->addWidget(box);
    return box;
}

QDialogButtonBox* OkCancel(QDialog* dialog, std::function<bool()> ok) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName("OK");
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName("Cancel");
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog, ok = std::move(ok)] {
        if (ok()) dialog->accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// The layer list on the left, the choices on the right, OK and Cancel below.
void LayOut(QDialog* dialog, QListWidget* layers, QVBoxLayout* side, std::function<bool()> ok) {
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(layers);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(top);
    layout->addWidget(OkCancel(dialog, std::move(ok)));
}

// Whether the name ends in ext (".bmp"), in small or capital letters.
bool HasExtension(const std::string& file, const char* ext) {
    const QString name = QString::fromStdString(file);
    return name.endsWith(QLatin1String(ext)) || name.endsWith(QString::fromLatin1(ext).toUpper());
}

void DefaultTell(QDialog* dialog, bool ok, const std::string& text) {
    if (ok) return;  // the file is there; the user asked for it
    QMessageBox::warning(dialog, dialog->windowTitle(), QString::fromStdString(text));
}

}  // namespace

void TLayerChecks::Fill(TVemoDocument* document) {
    document_ = document;
    filling_ = true;
    list_->clear();
    if (!document) {
        filling_ = false;
        return;
    }
    const TVemoLayerList& layers = document->GetLayerList();
    for (int i = 0; i < layers.Count(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(layers.At(i)->GetName()), list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(layers.At(i)->IsOutput() ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
}

TLayerChecks::TLayerChecks(QListWidget* list) : list_(list) {
    QObject::connect(list_, &QListWidget::itemChanged, list_, [this] { Apply(); });
}

void TLayerChecks::Apply() {
    if (filling_ || !document_) return;
    const TVemoLayerList& layers = document_->GetLayerList();
    for (int i = 0; i < list_->count() && i < layers.Count(); ++i)
        layers.At(i)->SetOutput(list_->item(i)->checkState() == Qt::Checked);
}

TExportBmpForm::TExportBmpForm(TVemoDocument* document, QWidget* parent, std::string settingsPath)
    : QDialog(parent),
      document_(document),
      settingsPath_(std::move(settingsPath)),
      layers_(new QListWidget),
      checks_(layers_) {
    setWindowTitle(tr("ビットマップ出力"));
    setAccessibleName(windowTitle());
    QGroupBox* colourGroup = Choice(tr("カラー出力"), colour_, tr("カラー"), mono_, tr("モノクロ"));
    mono_->setChecked(true);
    auto* options = new QGroupBox(tr("オプション"));
    auto* optionLayout = new QVBoxLayout(options);
    mirror_ = Check(tr("反転出力"), optionLayout);
    negative_ = Check(tr("ネガ出力"), optionLayout);
    antialias_ = Check(tr("アンチエイリアス"), optionLayout);
    std::string ppi = "72";
    if (!settingsPath_.empty())
        ppi = settings::ReadSettingsFile(settingsPath_).ReadString(kSection, "Resolution", ppi);
    resolution_ = new QLineEdit(QString::fromStdString(ppi));
    resolution_->setAccessibleName(tr("解像度 (ppi)"));
    auto* form = new QFormLayout;
    form->addRow(tr("解像度 (ppi)"), resolution_);
    layers_->setAccessibleName(tr("出力するレイヤー"));
    checks_.Fill(document);

    auto* side = new QVBoxLayout;
    side->addWidget(colourGroup);
    side->addWidget(options);
    side->addLayout(form);
    LayOut(this, layers_, side, [this] { return Export(); });
    askFile = [this] {
        return QFileDialog::getSaveFileName(this, windowTitle(), {}, "BMP (*.bmp);;PNG (*.png)")
            .toStdString();
    };
    tell = [this](bool ok, const std::string& text) { DefaultTell(this, ok, text); };
}

bool TExportBmpForm::Export() {
    // The resolution first: a slip costs no file dialog.
    double ppi = 0;
    const std::string text = resolution_->text().trimmed().toStdString();
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), ppi);
    if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(ppi) || ppi <= 0) {
        tell(false,
             tr("解像度には正の数を入れてください: \"%1\"").arg(QString::fromStdString(text)).toStdString());
        resolution_->setFocus();
        return false;
    }
    std::string file = askFile();
    if (file.empty()) return false;
    if (!HasExtension(file, ".png") && !HasExtension(file, ".bmp")) file += ".bmp";
    TBitmapExportOptions options;
    options.ppi = ppi;
    options.monochrome = mono_->isChecked();
    options.mirror = mirror_->isChecked();
    options.negative = negative_->isChecked();
    options.antialias = antialias_->isChecked();
    options.background = background;
    TBitmapExportResult result;
    std::string error;
    if (!ExportBitmap(*document_, file, options, result, error)) {
        tell(false, tr("\"%1\" を書き出せませんでした: %2")
                        .arg(QString::fromStdString(file), QString::fromStdString(error))
                        .toStdString());
        return false;
    }
    if (!settingsPath_.empty()) {
        std::string ignored;
        // Not being able to remember it does not make the picture less written.
        settings::UpdateSettingsFile(
            settingsPath_, [&](settings::TIniFile& ini) { ini.WriteString(kSection, "Resolution", text); },
            ignored);
    }
    tell(true, tr("%1 を書き出しました (%2 x %3 ピクセル, %4 ppi, %5)")
                   .arg(QString::fromStdString(file))
                   .arg(result.width)
                   .arg(result.height)
                   .arg(ppi)
                   .arg(QLocale::c().formattedDataSize(qint64(result.bytes)))
                   .toStdString());
    return true;
}

TExportEmfForm::TExportEmfForm(TVemoDocument* document, QWidget* parent)
    : QDialog(parent), document_(document), layers_(new QListWidget), checks_(layers_) {
    setWindowTitle(tr("ExportEmfForm"));
    setAccessibleName(windowTitle());
    QGroupBox* colourGroup = Choice(tr("カラー出力"), colour_, tr("カラー"), mono_, tr("モノクロ"));
    colour_->setChecked(true);
    QGroupBox* targetGroup = Choice(tr("出力対象"), all_, tr("すべて"), selected_, tr("選択中"));
    all_->setChecked(true);
    auto* options = new QWidget;
    auto* optionLayout = new QVBoxLayout(options);
    optionLayout->setContentsMargins(0, 0, 0, 0);
    opaque_ = Check(tr("不透明色"), optionLayout);
    opaque_->setChecked(true);
    opaque_->setToolTip(tr("レイヤーの色を不透明にして出力します (レイヤーの設定は変わりません)"));
    smooth_ = Check(tr("アンチエイリアシング"), optionLayout);
    smooth_->setChecked(true);
    smooth_->setToolTip(tr("滑らかに表示するかどうかは、メタファイルを読むプログラムが決めます"));
    layers_->setAccessibleName(tr("出力するレイヤー"));
    checks_.Fill(document);

    auto* side = new QVBoxLayout;
    side->addWidget(colourGroup);
    side->addWidget(targetGroup);
    side->addWidget(options);
    LayOut(this, layers_, side, [this] { return Export(); });
    askFile = [this] {
        return QFileDialog::getSaveFileName(this, windowTitle(), {}, "EMF (*.emf)").toStdString();
    };
    tell = [this](bool ok, const std::string& text) { DefaultTell(this, ok, text); };
}

bool TExportEmfForm::Export() {
    std::string file = askFile();
    if (file.empty()) return false;
    if (!HasExtension(file, ".emf")) file += ".emf";
    TEmfExportOptions options;
    options.monochrome = mono_->isChecked();
    options.selectedOnly = selected_->isChecked();
    options.opaque = opaque_->isChecked();
    options.background = background;
    TEmfExportResult result;
    std::string error;
    if (!ExportEmf(*document_, file, options, result, error)) {
        tell(false, tr("\"%1\" を書き出せませんでした: %2")
                        .arg(QString::fromStdString(file), QString::fromStdString(error))
                        .toStdString());
        return false;
    }
    tell(true, tr("%1 を書き出しました (%2 レコード, %3)")
                   .arg(QString::fromStdString(file))
                   .arg(result.records)
                   .arg(QLocale::c().formattedDataSize(qint64(result.bytes)))
                   .toStdString());
    return true;
}

}  // namespace app
