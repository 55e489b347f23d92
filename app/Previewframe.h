#pragma once
// The pad preview on the style window's pad page: the pads of the pad folder
// as a grid of 36-pixel thumbnails. Clicking a pad chooses it and takes up the
// pad tool, which places copies of the chosen pad. The caption line under the
// grid names the pad under the pointer, or the chosen one.

#include <memory>
#include <string>
#include <vector>

#include <QFrame>
#include <QImage>

class QLabel;
class QTableWidget;
class TVemoDocument;
class TVemoEventContext;
class TVemoGroup;

namespace app {

class TPreviewFrame : public QFrame {
    Q_OBJECT
public:
    static constexpr int kCell = 36;

    explicit TPreviewFrame(QWidget* parent = nullptr);
    ~TPreviewFrame() override;

    void SetContext(TVemoEventContext* context) { context_ = context; }
    // Reads every *.vbf of folder (in name order) as a pad named after its
    // file; files that are not readable documents are left out.
    void SetPadFolder(const std::string& folder);
    // The chosen pad; null when there is none.
    const TVemoGroup* SelectedPad() const;
    int ChosenIndex() const { return chosen_; }
    int PadCount() const { return int(pads_.size()); }
    const TVemoGroup& Pad(int i) const { return *pads_[i]; }
    const QImage& Thumbnail(int i) const { return thumbnails_[i]; }
    int Columns() const { return columns_; }
    // Chooses pad i (when there is one) and takes up the pad tool.
    void Choose(int i);

    QTableWidget* ObjectGrid = nullptr;
    QLabel* ObjectLabel = nullptr;

    // The thumbnail of a document's root part, c x c logical pixels at ratio
    // device pixels each: one pixel per document unit with the origin in the
    // middle when it fits, else shrunk to fit and labelled with its width.
    // The label of a thumbnail: the document's unscaled width when it does
    // not fit c x c, else empty.
    static std::string ThumbnailLabel(const TVemoDocument& document, int c);
    static QImage MakeThumbnail(const TVemoDocument& document, int c, qreal ratio);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TPadCellDelegate;
    // The pad index of a cell; -1 for a cell without a pad.
    int IndexAt(int row, int column) const;
    void Layout();
    void ShowName(int hovered);

    TVemoEventContext* context_ = nullptr;
    std::vector<std::unique_ptr<TVemoGroup>> pads_;
    std::vector<QImage> thumbnails_;
    int chosen_ = 0;
    int columns_ = 1;
};

}  // namespace app
