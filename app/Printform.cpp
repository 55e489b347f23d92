#include "app/Printform.h"

#include <filesystem>

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/Exportforms.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "output/Print.h"

namespace app {

// The preview box: the page drawn to the box's size in device pixels.
class TPrintPreview : public QWidget {
public:
    explicit TPrintPreview(TPrintForm& form) : form_(form) {
        setMinimumSize(320, 320);
        setAccessibleName(TPrintForm::tr("プレビュー"));
    }
    void Render() {
        const qreal ratio = devicePixelRatioF();
        picture_ = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
        if (picture_.isNull() || !form_.document_) return;
        const QRectF page = form_.printer_->pageLayout().paintRect(QPageLayout::Millimeter);
        std::string error;
        if (!RenderPrintPreview(*form_.document_, page.width(), page.height(), form_.Options(), picture_,
                                error))
            picture_.fill(Qt::white);
        picture_.setDevicePixelRatio(ratio);
        update();
    }
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
    }
    void resizeEvent(QResizeEvent*) override { Render(); }

private:
    TPrintForm& form_;
    QImage picture_;
};

TPrintForm::TPrintForm(QWidget* parent)
    : QDialog(parent), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setWindowTitle(tr("印刷"));
    setAccessibleName(windowTitle());
    preview_ = new TPrintPreview(*this);

    layers_ = new QListWidget;
    layers_->setAccessibleName(tr("印刷するレイヤー"));
    // The boxes write the shared output flags first; then the preview follows them.
    checks_ = std::make_unique<TLayerChecks>(layers_);
    connect(layers_, &QListWidget::itemChanged, this, [this] {
        if (!checks_->Filling()) RenderPreview();
    });

    auto* colourGroup = new QGroupBox(tr("カラー印刷"));
    colour_ = new QRadioButton(tr("カラー"));
    mono_ = new QRadioButton(tr("モノクロ"));
    mono_->setChecked(true);
    auto* colourLayout = new QHBoxLayout(colourGroup);
    colourLayout->addWidget(colour_);
    colourLayout->addWidget(mono_);
    connect(colour_, &QRadioButton::toggled, this, [this] { RenderPreview(); });

    auto* optionGroup = new QGroupBox(tr("オプション"));
    mirror_ = new QCheckBox(tr("反転印刷"));
    mirror_->setToolTip(tr("左右を反転します (部品面のフィルムを印刷面を下にして使うとき)"));
    negative_ = new QCheckBox(tr("ネガ印刷"));
    negative_->setToolTip(tr("モノクロ: 黒い紙に白で印刷します"));
    antialias_ = new QCheckBox(tr("アンチエイリアス"));
    auto* optionLayout = new QVBoxLayout(optionGroup);
    for (QCheckBox* box : {mirror_, negative_, antialias_}) {
        box->setAccessibleName(box->text());
        optionLayout->addWidget(box);
        connect(box, &QCheckBox::toggled, this, [this] { RenderPreview(); });
    }

    printerLabel_ = new QLabel;
    printerLabel_->setWordWrap(true);
    printerLabel_->setAccessibleName(tr("プリンタ"));
    print_ = new QPushButton(tr("印刷"));
    print_->setDefault(true);
    pdf_ = new QPushButton(tr("PDF に出力..."));
    pdf_->setToolTip(tr("実寸の PDF ファイルに印刷します"));
    auto* config = new QPushButton(tr("印刷設定"));
    auto* cancel = new QPushButton("Cancel");
    for (QPushButton* b : {print_, pdf_, config, cancel}) b->setAccessibleName(b->text());
    connect(print_, &QPushButton::clicked, this, [this] {
        if (PrintToPrinter()) accept();
    });
    connect(pdf_, &QPushButton::clicked, this, [this] {
        if (PrintToPdf()) accept();
    });
    connect(config, &QPushButton::clicked, this, [this] {
        QPrintDialog dialog(printer_.get(), this);
        dialog.exec();
        UpdatePrinter();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel(tr("レイヤー")));
    side->addWidget(layers_, 1);
    side->addWidget(colourGroup);
    side->addWidget(optionGroup);
    side->addWidget(printerLabel_);
    side->addWidget(print_);
    side->addWidget(pdf_);
    side->addWidget(config);
    side->addWidget(cancel);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(preview_, 1);
    layout->addLayout(side);
    resize(720, 520);

    askPdfFile = [this] {
        return QFileDialog::getSaveFileName(this, tr("PDF に出力"), {}, "PDF (*.pdf)").toStdString();
    };
    tell = [this](const std::string& text) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(text));
    };
    UpdatePrinter();
}

TPrintForm::~TPrintForm() = default;

const QImage& TPrintForm::Preview() const {
    return preview_->Picture();
}

void TPrintForm::SetDocument(TVemoDocument* document) {
    document_ = document;
    checks_->Fill(document_);
    RenderPreview();
}

void TPrintForm::showEvent(QShowEvent* event) {
    checks_->Fill(document_);
    UpdatePrinter();
    QDialog::showEvent(event);
}

TPrintOptions TPrintForm::Options() const {
    TPrintOptions options;
    options.monochrome = mono_->isChecked();
    options.mirror = mirror_->isChecked();
    options.negative = negative_->isChecked();
    options.antialias = antialias_->isChecked();
    return options;  // the layers are the document's output flags
}

void TPrintForm::UpdatePrinter() {
    const bool hasPrinter = !QPrinterInfo::availablePrinters().isEmpty() && printer_->isValid() &&
                            printer_->outputFormat() == QPrinter::NativeFormat;
    const QRectF page = printer_->pageLayout().paintRect(QPageLayout::Millimeter);
    if (hasPrinter) {
        printerLabel_->setText(tr("プリンタ: %1 (印刷範囲 %2 × %3 mm)")
                                   .arg(printer_->printerName())
                                   .arg(page.width(), 0, 'f', 1)
                                   .arg(page.height(), 0, 'f', 1));
    } else {
        printerLabel_->setText(tr("プリンタがありません。PDF ファイルに実寸で印刷できます (%1 × %2 mm)。")
                                   .arg(page.width(), 0, 'f', 1)
                                   .arg(page.height(), 0, 'f', 1));
    }
    print_->setEnabled(hasPrinter);
    print_->setToolTip(hasPrinter ? QString() : tr("プリンタがありません"));
    (hasPrinter ? print_ : pdf_)->setDefault(true);
    RenderPreview();
}

void TPrintForm::RenderPreview() {
    preview_->Render();
}

bool TPrintForm::PrintOn(QPrinter& printer) {
    if (!document_) return false;
    std::string error;
    if (!PrintPage(*document_, printer, Options(), error)) {
        tell(tr("印刷できませんでした: %1").arg(QString::fromStdString(error)).toStdString());
        return false;
    }
    return true;
}

bool TPrintForm::PrintToPrinter() {
    if (!print_->isEnabled()) {
        tell(tr("プリンタがありません。「PDF に出力...」で PDF ファイルに印刷できます。").toStdString());
        return false;
    }
    return PrintOn(*printer_);
}

bool TPrintForm::PrintToPdf() {
    std::string file = askPdfFile();
    if (file.empty()) return false;
    if (file.size() < 4 || file.compare(file.size() - 4, 4, ".pdf") != 0) file += ".pdf";
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setPageLayout(printer_->pageLayout());
    pdf.setOutputFileName(QString::fromStdString(file));
    if (!PrintOn(pdf)) return false;
    if (written) {
        std::error_code ec;
        const auto bytes = std::filesystem::file_size(file, ec);
        const QSizeF page = pdf.pageLayout().pageSize().size(QPageSize::Millimeter);
        written(tr("%1 を書き出しました (%2 x %3 mm のページ, %4)")
                    .arg(QString::fromStdString(file))
                    .arg(page.width(), 0, 'f', 0)
                    .arg(page.height(), 0, 'f', 0)
                    .arg(ec ? QStringLiteral("?") : QLocale::c().formattedDataSize(qint64(bytes)))
                    .toStdString());
    }
    return true;
}

}  // namespace app
