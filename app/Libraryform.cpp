#include "app/Libraryform.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string_view>
#include <vector>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/Vemoformtemplate.h"
#include "archive/Vemodocumentfile.h"
#include "geom/Units.h"
#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "model/Vemogroup.h"
#include "render/Qtgraphics.h"

namespace app {

namespace {

// One pixel per document unit (0.1 mm) leaves a chip resistor a few pixels
// wide: the part is scaled to fill the preview, less this margin, at most
// kMaxScale pixels per unit, and a scale bar says how long 1, 5 or 10 mm is.
constexpr int kMargin = 24;
constexpr double kMaxScale = 8.0;

// The scale bar: the longest of 10, 5 and 1 mm that stays within limit pixels.
void DrawScaleBar(QPainter& painter, double scale, int height, double limit) {
    int millimetres = 10;
    while (millimetres > 1 && units::FromMm(millimetres) * scale > limit)
        millimetres = millimetres == 10 ? 5 : 1;
    const double length = units::FromMm(millimetres) * scale;
    const QPointF a(10, height - 10), b(10 + length, height - 10);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(a, b);
    painter.drawLine(a, a - QPointF(0, 4));
    painter.drawLine(b, b - QPointF(0, 4));
    painter.drawText(QPointF(10, height - 16), QStringLiteral("%1 mm").arg(millimetres));
}

// Name order with numbers counted as numbers, whatever the locale: dip8 before dip14.
bool NameBefore(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei])) ++ei;
            while (ej < b.size() && digit(b[ej])) ++ej;
            // Leading zeros aside, the longer run is the larger number.
            std::string_view x(a.data() + i, ei - i), y(b.data() + j, ej - j);
            while (x.size() > 1 && x.front() == '0') x.remove_prefix(1);
            while (y.size() > 1 && y.front() == '0') y.remove_prefix(1);
            if (x.size() != y.size()) return x.size() < y.size();
            if (x != y) return x < y;
            i = ei, j = ej;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i, ++j;
    }
    if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
    return a < b;
}

}  // namespace

TLibraryPreview::TLibraryPreview(TLibraryForm& form) : QWidget(&form), form_(form) {
    setObjectName("PreviewBox");
    setAccessibleName(tr("部品の表示"));
    setMinimumSize(160, 160);
}

void TLibraryPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgb(DrawStyle().GetColour(1)));
    if (!form_.picture_.isNull()) painter.drawImage(0, 0, form_.picture_);
}

void TLibraryPreview::resizeEvent(QResizeEvent*) {
    form_.DrawPreview();
}

TLibraryForm::TLibraryForm(std::string settingsPath, QWidget* parent)
    : QDialog(parent), settingsPath_(std::move(settingsPath)), chosen_(std::make_unique<TVemoGroup>()) {
    setObjectName(kSection);
    setWindowTitle(tr("ライブラリ"));
    setAccessibleName(tr("ライブラリ"));
    LibraryTree = new QTreeWidget(this);
    LibraryTree->setObjectName("LibraryTree");
    LibraryTree->setAccessibleName(tr("ライブラリの部品"));
    LibraryTree->setHeaderHidden(true);
    LibraryTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Wide enough for the names of the starter parts.
    LibraryTree->setFixedWidth(200);
    PreviewBox = new TLibraryPreview(*this);
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setObjectName("OkButton");
    OkButton->setAccessibleName(QStringLiteral("OK"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName("CancelButton");
    CancelButton->setAccessibleName(QStringLiteral("Cancel"));
    CancelButton->setAutoDefault(false);
    connect(OkButton, &QPushButton::clicked, this, &TLibraryForm::accept);
    connect(CancelButton, &QPushButton::clicked, this, &TLibraryForm::reject);
    connect(LibraryTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        const std::string file = FileOf(item);
        if (!file.empty()) Choose(file);
    });
    // Double-clicking a part takes it.
    connect(LibraryTree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (!FileOf(item).empty() && FileOf(item) == chosenFile_) accept();
    });

    auto* row = new QHBoxLayout;
    row->addWidget(LibraryTree);
    row->addWidget(PreviewBox, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row, 1);
    column->addLayout(buttons);

    LoadFormPlacement(*this, settingsPath_, kSection, CentredOnFirstScreen(560, 400));
}

TLibraryForm::~TLibraryForm() {
    std::string error;
    SaveFormPlacement(*this, settingsPath_, kSection, error);
}

void TLibraryForm::SetLibraryFolder(const std::string& folder) {
    folder_ = folder;
    LibraryTree->clear();
    auto* root = new QTreeWidgetItem(LibraryTree, {QStringLiteral("lib")});
    root->setData(0, Qt::AccessibleTextRole, QStringLiteral("lib"));
    Fill(root, folder_);
    root->setExpanded(true);
}

void TLibraryForm::Fill(QTreeWidgetItem* node, const std::string& folder) {
    std::vector<std::filesystem::path> folders, files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code kind;
        if (it->is_directory(kind)) {
            if (!name.starts_with('.')) folders.push_back(it->path());
        } else if (it->path().extension() == ".vbf") {
            files.push_back(it->path());
        }
    }
    const auto byName = [](const std::filesystem::path& a, const std::filesystem::path& b) {
        return NameBefore(a.filename().string(), b.filename().string());
    };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    for (const std::filesystem::path& sub : folders) {
        const QString name = QString::fromStdString(sub.filename().string());
        auto* item = new QTreeWidgetItem(node, {name});
        item->setData(0, Qt::AccessibleTextRole, name);
        Fill(item, sub.string());
    }
    for (const std::filesystem::path& file : files) {
        const QString name = QString::fromStdString(file.filename().string());
        auto* item = new QTreeWidgetItem(node, {name});
        item->setData(0, Qt::AccessibleTextRole, name);
    }
}

std::string TLibraryForm::FileOf(const QTreeWidgetItem* item) const {
    if (!item || item->childCount() > 0 || !item->parent()) return {};
    // A folder without parts has no children either: only a file's node names a part.
    std::filesystem::path relative = item->text(0).toStdString();
    for (const QTreeWidgetItem* up = item->parent(); up && up->parent(); up = up->parent())
        relative = std::filesystem::path(up->text(0).toStdString()) / relative;
    const std::filesystem::path path = std::filesystem::path(folder_) / relative;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return {};
    return path.string();
}

bool TLibraryForm::Choose(const std::string& path) {
    std::string error;
    std::unique_ptr<TVemoDocument> doc = ReadDocumentFile(path, error);
    if (!doc) return false;
    TVemoPart& root = doc->GetRoot();
    root.Rebuild();
    auto part = std::make_unique<TVemoGroup>();
    for (int i = 0; i < root.GetChildCount(); ++i) part->AddCopy(*root.GetChild(i));
    part->Rebuild();
    chosen_ = std::move(part);
    chosenFile_ = path;
    layerCount_ = doc->GetLayerList().Count();
    DrawPreview();
    return true;
}

void TLibraryForm::DrawPreview() {
    const qreal ratio = PreviewBox->devicePixelRatioF();
    const int w = PreviewBox->width(), h = PreviewBox->height();
    picture_ = QImage(int(w * ratio), int(h * ratio), QImage::Format_RGB32);
    picture_.setDevicePixelRatio(ratio);
    picture_.fill(QColor::fromRgb(DrawStyle().GetColour(1)));
    if (chosen_->GetChildCount() > 0) {
        QPainter painter(&picture_);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        // A group's own bounds follow its selection: the extent of all its members.
        RectF b;
        for (int i = 0; i < chosen_->GetChildCount(); ++i) {
            RectF box;
            chosen_->GetChild(i)->GetBounds(box);
            if (i == 0) {
                b = box;
                continue;
            }
            const float l = std::min(b.Left(), box.Left()), t = std::min(b.Top(), box.Top());
            b = RectF(l, t, std::max(b.Right(), box.Right()) - l, std::max(b.Bottom(), box.Bottom()) - t);
        }
        QTransform t;
        const int midX = w / 2, midY = h / 2;  // a whole pixel
        t.translate(midX, midY);
        // The part's origin stays in the middle, where a click places it.
        const double extentX = 2 * std::max(std::abs(b.x), std::abs(b.x + b.width));
        const double extentY = 2 * std::max(std::abs(b.y), std::abs(b.y + b.height));
        const double roomX = std::max(1, w - 2 * kMargin), roomY = std::max(1, h - 2 * kMargin);
        double scale = kMaxScale;
        if (extentX > 0) scale = std::min(scale, roomX / extentX);
        if (extentY > 0) scale = std::min(scale, roomY / extentY);
        t.scale(scale, scale);
        painter.setWorldTransform(t);
        {
            TQtGraphics graphics(painter);
            for (int i = layerCount_ - 1; i >= 0; --i) chosen_->DrawFill(&graphics, i);
        }
        painter.resetTransform();
        DrawScaleBar(painter, scale, h, w / 3.0);
    }
    PreviewBox->update();
}

}  // namespace app
