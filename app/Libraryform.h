#pragma once
// The library window: the parts of the library folder as a folder tree with a
// preview of the part chosen last. The library tool shows it modally and,
// after OK, places a copy of the chosen part.

#include <memory>
#include <string>

#include <QDialog>
#include <QImage>
#include <QWidget>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TVemoGroup;

namespace app {

class TLibraryForm;

// Draws the window's preview picture, following the window's size.
class TLibraryPreview : public QWidget {
    Q_OBJECT
public:
    explicit TLibraryPreview(TLibraryForm& form);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TLibraryForm& form_;
};

class TLibraryForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "LibraryForm";

    // Placed as it was last time (settings file at settingsPath).
    explicit TLibraryForm(std::string settingsPath, QWidget* parent = nullptr);
    // Writes the placement.
    ~TLibraryForm() override;

    // Builds the tree under the root "lib": folders (not hidden ones) first,
    // then the *.vbf files, each in name order.
    void SetLibraryFolder(const std::string& folder);
    // The part read last (empty at first); kept between uses.
    const TVemoGroup& ChosenPart() const { return *chosen_; }
    // The file a tree node stands for; empty for folders and the root.
    std::string FileOf(const QTreeWidgetItem* item) const;
    // Reads path into the chosen part and redraws the preview; false, with
    // the chosen part and preview as they were, when it is not a readable document.
    bool Choose(const std::string& path);
    // The picture as shown (the preview's size in device pixels).
    const QImage& Picture() const { return picture_; }
    // The part file read last; empty before the first.
    const std::string& ChosenFile() const { return chosenFile_; }

    QTreeWidget* LibraryTree = nullptr;
    TLibraryPreview* PreviewBox = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    friend class TLibraryPreview;
    void Fill(QTreeWidgetItem* node, const std::string& folder);
    void DrawPreview();

    std::string settingsPath_;
    std::string folder_;
    std::string chosenFile_;
    std::unique_ptr<TVemoGroup> chosen_;
    // The layers of the file the part came from, painted last to first.
    int layerCount_ = 0;
    QImage picture_;
};

}  // namespace app
