#pragma once
// The two picture export dialogs: a bitmap of the design area at a chosen
// resolution (colour or a film: mirrored, negative, anti-aliased), and an EMF
// metafile of all or the selected objects. Both list the layers with their
// output flags, shared with printing and Gerber export.

#include <functional>
#include <string>

#include <QDialog>

class QCheckBox;
class QImage;
class QLineEdit;
class QListWidget;
class QRadioButton;
class TVemoDocument;

namespace app {

// The layer list with output checks that both dialogs (and printing) show.
class TLayerChecks {
public:
    explicit TLayerChecks(QListWidget* list);
    // Lists the document's layers (none for null).
    void Fill(TVemoDocument* document);
    // Writes every box back into its layer's output flag.
    void Apply();
    // While Fill runs: the boxes change but nothing was clicked.
    bool Filling() const { return filling_; }

private:
    QListWidget* list_;
    TVemoDocument* document_ = nullptr;
    bool filling_ = false;
};

class TExportBmpForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "ビットマップ出力";
    static constexpr const char* kSection = "ExportBmpForm";

    // With a settings path, the resolution of the last written picture is
    // offered again (72 ppi the first time) and a new one is remembered there.
    explicit TExportBmpForm(TVemoDocument* document, QWidget* parent = nullptr,
                            std::string settingsPath = {});

    // Asks for the file to write; empty means cancelled.
    std::function<std::string()> askFile;
    std::function<void(bool ok, const std::string& text)> tell;
    // The picture loaded behind the drawing (the editor's, not saved in the
    // document); drawn under a colour export when the document shows it.
    const QImage* background = nullptr;

    QLineEdit* ResolutionEdit() { return resolution_; }
    QRadioButton* ColourButton() { return colour_; }
    QCheckBox* MirrorBox() { return mirror_; }
    QCheckBox* NegativeBox() { return negative_; }
    QListWidget* LayerList() { return layers_; }

    // The OK button's work; true when the file was written (the dialog closes).
    bool Export();

private:
    TVemoDocument* document_;
    std::string settingsPath_;
    QLineEdit* resolution_;
    QRadioButton* colour_;
    QRadioButton* mono_;
    QCheckBox* mirror_;
    QCheckBox* negative_;
    QCheckBox* antialias_;
    QListWidget* layers_;
    TLayerChecks checks_;
};

class TExportEmfForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "ExportEmfForm";

    explicit TExportEmfForm(TVemoDocument* document, QWidget* parent = nullptr);

    std::function<std::string()> askFile;
    std::function<void(bool ok, const std::string& text)> tell;
    // The picture loaded behind the drawing (the editor's, not saved in the
    // document); drawn under a colour export when the document shows it.
    const QImage* background = nullptr;

    QRadioButton* MonoButton() { return mono_; }
    QRadioButton* SelectedButton() { return selected_; }
    QCheckBox* OpaqueBox() { return opaque_; }
    QListWidget* LayerList() { return layers_; }

    bool Export();

private:
    TVemoDocument* document_;
    QRadioButton* colour_;
    QRadioButton* mono_;
    QRadioButton* all_;
    QRadioButton* selected_;
    QCheckBox* opaque_;
    QCheckBox* smooth_;
    QListWidget* layers_;
    TLayerChecks checks_;
};

}  // namespace app
