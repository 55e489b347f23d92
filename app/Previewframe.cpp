#include "app/Previewframe.h"

#include <algorithm>
#include <filesystem>

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "render/Qtgraphics.h"
#include "states/Vemoeventcontext.h"
#include "states/Vemostylepanel.h"

namespace app {

// Paints a cell's thumbnail, and the frame around the chosen pad.
class TPadCellDelegate : public QStyledItemDelegate {
public:
    explicit TPadCellDelegate(TPreviewFrame& frame) : QStyledItemDelegate(&frame), frame_(frame) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int i = frame_.IndexAt(index.row(), index.column());
        if (i < 0) return;
        const QRect cell = option.rect;
        painter->drawImage(cell.topLeft(), frame_.thumbnails_[i]);
        if (i == frame_.chosen_) {
            painter->save();
            painter->setPen(QPen(Qt::black, 2));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(QRectF(cell).adjusted(1, 1, -1, -1));
            painter->restore();
        }
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {TPreviewFrame::kCell, TPreviewFrame::kCell};
    }

private:
    TPreviewFrame& frame_;
};

TPreviewFrame::TPreviewFrame(QWidget* parent) : QFrame(parent) {
    setObjectName("PreviewFrame");
    setAccessibleName(tr("パッド"));
    ObjectGrid = new QTableWidget(2, 1, this);
    ObjectGrid->setObjectName("ObjectGrid");
    ObjectGrid->setAccessibleName(tr("パッドの一覧"));
    ObjectGrid->horizontalHeader()->hide();
    ObjectGrid->verticalHeader()->hide();
    ObjectGrid->horizontalHeader()->setMinimumSectionSize(1);
    ObjectGrid->verticalHeader()->setMinimumSectionSize(1);
    ObjectGrid->horizontalHeader()->setDefaultSectionSize(kCell);
    ObjectGrid->verticalHeader()->setDefaultSectionSize(kCell);
    ObjectGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ObjectGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ObjectGrid->setShowGrid(false);
    ObjectGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ObjectGrid->setSelectionMode(QAbstractItemView::NoSelection);
    ObjectGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ObjectGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ObjectGrid->setItemDelegate(new TPadCellDelegate(*this));
    ObjectGrid->viewport()->setMouseTracking(true);
    ObjectGrid->viewport()->installEventFilter(this);
    connect(ObjectGrid, &QTableWidget::cellPressed, this,
            [this](int row, int column) { Choose(IndexAt(row, column)); });
    connect(ObjectGrid, &QTableWidget::cellActivated, this,
            [this](int row, int column) { Choose(IndexAt(row, column)); });
    ObjectLabel = new QLabel(this);
    ObjectLabel->setObjectName("ObjectLabel");
    ObjectLabel->setAccessibleName(tr("パッドの名前"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(ObjectGrid, 1);
    column->addWidget(ObjectLabel);
}

TPreviewFrame::~TPreviewFrame() = default;

std::string TPreviewFrame::ThumbnailLabel(const TVemoDocument& document, int c) {
    RectF bounds;
    document.GetRoot().GetBounds(bounds);
    return float(c) >= bounds.width && float(c) >= bounds.height ? std::string()
                                                                 : ShortestDecimal(bounds.width);
}

QImage TPreviewFrame::MakeThumbnail(const TVemoDocument& document, int c, qreal ratio) {
    QImage image(int(c * ratio), int(c * ratio), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    const TVemoPart& root = document.GetRoot();
    RectF bounds;
    root.GetBounds(bounds);
    const double w = bounds.width, h = bounds.height;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const bool fits = c >= w && c >= h;
    QTransform t;
    const int middle = c / 2;  // a whole pixel
    t.translate(middle, middle);
    if (!fits && std::max(w, h) > 0) t.scale(c / std::max(w, h), c / std::max(w, h));
    painter.setWorldTransform(t);
    {
        TQtGraphics graphics(painter);
        const TVemoLayerList& layers = document.GetLayerList();
        for (int i = layers.Count() - 1; i >= 0; --i) root.DrawFill(&graphics, i);
    }
    if (!fits) {
        painter.resetTransform();
        painter.setPen(Qt::black);
        QFont font = painter.font();
        font.setPixelSize(10);
        painter.setFont(font);
        painter.drawText(QPointF(8, c - 13 + QFontMetricsF(font).ascent()),
                         QString::fromStdString(ThumbnailLabel(document, c)));
    }
    return image;
}

void TPreviewFrame::SetPadFolder(const std::string& folder) {
    pads_.clear();
    thumbnails_.clear();
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".vbf") files.push_back(it->path());
    // The folder's own order is arbitrary: by name, so the grid is the same every time.
    std::sort(files.begin(), files.end());
    const qreal ratio = std::max<qreal>(1.0, devicePixelRatioF());
    for (const std::filesystem::path& file : files) {
        std::string error;
        std::unique_ptr<TVemoDocument> doc = ReadDocumentFile(file.string(), error);
        if (!doc) continue;
        TVemoPart& root = doc->GetRoot();
        root.Rebuild();
        auto pad = std::make_unique<TVemoGroup>();
        for (int i = 0; i < root.GetChildCount(); ++i) pad->AddCopy(*root.GetChild(i));
        pad->SetName(file.filename().string());
        pad->Rebuild();
        thumbnails_.push_back(MakeThumbnail(*doc, kCell, ratio));
        pads_.push_back(std::move(pad));
    }
    chosen_ = 0;
    Layout();
    ShowName(-1);
}

const TVemoGroup* TPreviewFrame::SelectedPad() const {
    return chosen_ >= 0 && chosen_ < int(pads_.size()) ? pads_[chosen_].get() : nullptr;
}

int TPreviewFrame::IndexAt(int row, int column) const {
    if (row < 0 || column < 0 || column >= columns_) return -1;
    const int i = row * columns_ + column;
    return i < int(pads_.size()) ? i : -1;
}

void TPreviewFrame::Choose(int i) {
    if (i < 0 || i >= int(pads_.size())) return;
    chosen_ = i;
    ObjectGrid->viewport()->update();
    ShowName(-1);
    if (context_) {
        context_->PressTool("pad");
        context_->Ui().ToolPanelChanged();
    }
}

void TPreviewFrame::Layout() {
    columns_ = std::max(1, (ObjectGrid->width() - 16) / kCell);
    ObjectGrid->setColumnCount(columns_);
    ObjectGrid->setRowCount(int(pads_.size()) / columns_ + 2);
    // Items carry each pad's name for tooltips and screen readers.
    for (int row = 0; row < ObjectGrid->rowCount(); ++row)
        for (int column = 0; column < columns_; ++column) {
            const int i = IndexAt(row, column);
            auto* item = new QTableWidgetItem;
            if (i >= 0) {
                const QString name = QString::fromStdString(pads_[i]->GetName());
                item->setToolTip(name);
                item->setData(Qt::AccessibleTextRole, name);
            } else {
                item->setFlags(Qt::NoItemFlags);
            }
            ObjectGrid->setItem(row, column, item);
        }
}

void TPreviewFrame::ShowName(int hovered) {
    const int i = hovered >= 0 && hovered < int(pads_.size()) ? hovered : chosen_;
    ObjectLabel->setText(i >= 0 && i < int(pads_.size()) ? QString::fromStdString(pads_[i]->GetName())
                                                         : QString());
}

void TPreviewFrame::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    const int columns = std::max(1, (ObjectGrid->width() - 16) / kCell);
    if (columns != columns_ || ObjectGrid->columnCount() != columns) Layout();
}

bool TPreviewFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ObjectGrid->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
            ShowName(IndexAt(ObjectGrid->rowAt(p.y()), ObjectGrid->columnAt(p.x())));
        } else if (event->type() == QEvent::Leave) {
            ShowName(-1);
        }
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace app
