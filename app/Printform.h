#pragma once
// The print window: the layers to print, colour or monochrome, mirror,
// negative and anti-aliasing, with a preview of the printable page. Prints at
// true scale on a printer, or into a PDF file, which also serves when the
// system has no printer.

#include <functional>
#include <memory>
#include <string>

#include <QDialog>
#include <QImage>

class QCheckBox;
class QLabel;
class QListWidget;
class QPrinter;
class QPushButton;
class QRadioButton;
class TVemoDocument;
struct TPrintOptions;

namespace app {

class TLayerChecks;
class TPrintPreview;

class TPrintForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "印刷";

    explicit TPrintForm(QWidget* parent = nullptr);
    ~TPrintForm() override;

    void SetDocument(TVemoDocument* document);
    // Asks for the PDF file to print into; empty means cancelled.
    std::function<std::string()> askPdfFile;
    // Shows a failure; a message box unless replaced.
    std::function<void(const std::string& text)> tell;
    // Told what was written when printing into a PDF file succeeded.
    std::function<void(const std::string& text)> written;

    QListWidget* LayerList() { return layers_; }
    QRadioButton* ColourButton() { return colour_; }
    QRadioButton* MonoButton() { return mono_; }
    QCheckBox* MirrorBox() { return mirror_; }
    QCheckBox* NegativeBox() { return negative_; }
    QCheckBox* AntiAliasBox() { return antialias_; }
    QPushButton* PrintButton() { return print_; }
    QPushButton* PdfButton() { return pdf_; }
    QLabel* PrinterLabel() { return printerLabel_; }
    QPrinter& Printer() { return *printer_; }
    // The preview as last drawn.
    const QImage& Preview() const;

    // Prints on the chosen printer; false, with the reason told, on failure.
    bool PrintToPrinter();
    // Prints into the file askPdfFile names; false when cancelled or failed.
    bool PrintToPdf();

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend class TPrintPreview;
    TPrintOptions Options() const;
    void UpdatePrinter();
    void RenderPreview();
    bool PrintOn(QPrinter& printer);

    TVemoDocument* document_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
    TPrintPreview* preview_;
    QListWidget* layers_;
    QRadioButton* colour_;
    QRadioButton* mono_;
    QCheckBox* mirror_;
    QCheckBox* negative_;
    QCheckBox* antialias_;
    QPushButton* print_;
    QPushButton* pdf_;
    QLabel* printerLabel_;
    std::unique_ptr<TLayerChecks> checks_;
};

}  // namespace app
