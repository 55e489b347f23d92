#include "app/Layerwindow.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/Layeredit.h"
#include "app/Vemoresource.h"
#include "model/Vemodocument.h"
#include "model/Vemoobjectvisitor.h"
#include "states/Vemoeditstep.h"
#include "states/Vemoeventcontext.h"

namespace app {

namespace {

QColor Rgb(Argb colour) {
    return QColor::fromRgb(colour & 0xFFFFFFu);
}

}  // namespace

std::string UniqueLayerName(const std::string& base, const TVemoLayerList& list) {
    std::string name = base;
    for (int k = 0; list.Find(name); ++k) name = base + std::to_string(k);
    return name;
}

TVemoLayerFace::TVemoLayerFace(TLayerWindow& window, QWidget* parent) : QWidget(parent), window_(window) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TVemoLayerFace::SetLayer(TVemoLayerPtr layer) {
    layer_ = std::move(layer);
    const QString name = layer_ ? QString::fromStdString(layer_->GetName()) : QString();
    setObjectName(QStringLiteral("layer:") + name);
    setAccessibleName(name);
    setToolTip(
        tr("%1 — 左: 表示 / 鍵: ロック / 名前: 現在のレイヤー (ドラッグで順番を変更、ダブルクリックで編集)")
            .arg(name));
    update();
}

void TVemoLayerFace::SetDropLine(TDropLine line) {
    if (dropLine_ == line) return;
    dropLine_ = line;
    update();
}

void TVemoLayerFace::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    const bool current = layer_ && layer_->IsCurrent();
    // The current layer stands out as a selected row does.
    const QColor face = current ? pal.color(QPalette::Highlight).lighter(165) : pal.color(QPalette::Button);
    painter.fillRect(rect(), face);
    painter.setPen(pal.color(QPalette::Dark));
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
    painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
    if (!layer_) return;
    painter.setPen(pal.color(QPalette::ButtonText));
    QFont font = painter.font();
    font.setBold(current);
    painter.setFont(font);
    const QRect nameBox(TLayerWindow::kNameX + 2, 0, width() - TLayerWindow::kNameX - 32, height());
    painter.drawText(nameBox, Qt::AlignVCenter | Qt::AlignLeft,
                     painter.fontMetrics().elidedText(QString::fromStdString(layer_->GetName()),
                                                      Qt::ElideRight, nameBox.width()));
    painter.setPen(Qt::black);
    painter.setBrush(Rgb(layer_->GetEffectiveColour()));
    painter.drawRect(QRect(QPoint(width() - 25, 5), QPoint(width() - 6, 19)));
    const TVemoResource& res = window_.Resources();
    res.Icon(layer_->IsVisible() ? "Visible" : "UnVisible").paint(&painter, QRect(0, 0, 24, 24));
    res.Icon(layer_->IsLocked() ? "Lock" : "UnLock").paint(&painter, QRect(TLayerWindow::kLockX, 0, 24, 24));
    if (dropLine_ != TDropLine::None) {
        painter.setPen(QPen(Qt::black, 2));
        const int y = dropLine_ == TDropLine::Top ? 1 : height() - 1;
        painter.drawLine(0, y, width(), y);
    }
}

void TVemoLayerFace::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        window_.RowPressed(*this, int(event->position().x()), event->globalPosition().toPoint(), false);
}

void TVemoLayerFace::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        window_.RowPressed(*this, int(event->position().x()), event->globalPosition().toPoint(), true);
}

void TVemoLayerFace::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) window_.RowMoved(*this, event->globalPosition().toPoint());
}

void TVemoLayerFace::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        window_.RowReleased(*this, int(event->position().x()), event->globalPosition().toPoint());
}

TLayerWindow::TLayerWindow(const TVemoResource& resources, TLayerEdit& editor, QWidget* parent)
    : QWidget(parent), resources_(resources), editor_(editor) {
    setObjectName(kSection);
    setWindowTitle(tr("レイヤ"));
    setAccessibleName(tr("レイヤ"));

    auto* toolPanel = new QWidget(this);
    toolPanel->setObjectName("ToolPanel");
    toolPanel->setFixedHeight(25);
    auto* buttons = new QHBoxLayout(toolPanel);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    const auto button = [&](const char* name, const char* caption, const QString& tip) {
        auto* b = new QPushButton(QString::fromUtf8(caption), toolPanel);
        b->setObjectName(name);
        b->setFlat(true);
        b->setFixedSize(49, 22);
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(b);
        return b;
    };
    buttonNew_ = button("ButtonNew", "New", tr("新しいレイヤーを現在のレイヤーの前に作ります"));
    buttonDel_ = button("ButtonDel", "Del", tr("現在のレイヤーとその上のオブジェクトを削除します"));
    buttons->addStretch(1);
    connect(buttonNew_, &QPushButton::clicked, this, &TLayerWindow::NewLayer);
    connect(buttonDel_, &QPushButton::clicked, this, &TLayerWindow::DeleteLayer);

    scrollBox_ = new QScrollArea(this);
    scrollBox_->setObjectName("ScrollBox");
    scrollBox_->setFrameShape(QFrame::NoFrame);
    scrollBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollBox_->setWidgetResizable(true);
    rowsBox_ = new QWidget;
    rowsBox_->setObjectName("rows");
    scrollBox_->setWidget(rowsBox_);
    connect(scrollBox_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { ShowVisibleRows(); });
    // The rows take the width the scroll box gives them, whenever it changes.
    rowsBox_->installEventFilter(this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(toolPanel);
    column->addWidget(scrollBox_, 1);
}

TLayerWindow::~TLayerWindow() = default;

void TLayerWindow::SetContext(TVemoEventContext* context) {
    context_ = context;
    RebuildRows();
}

void TLayerWindow::RebuildRows() {
    pressed_ = dropTarget_ = nullptr;
    dragging_ = false;
    const int n = context_ ? context_->Document().GetLayerList().Count() : 0;
    while (RowCount() > n) {
        if (TVemoLayerFace* row = rows_.back()) {
            // Later: the row may be the one whose event is being handled.
            row->hide();
            row->deleteLater();
        }
        rows_.pop_back();
    }
    rows_.resize(std::size_t(n), nullptr);
    for (int i = 0; i < n; ++i) {
        if (TVemoLayerFace* row = rows_[std::size_t(i)]) {
            row->SetLayer(context_->Document().GetLayerList().At(i));
            row->SetDropLine(TVemoLayerFace::TDropLine::None);
        }
    }
    PlaceRows();
}

TVemoLayerFace* TLayerWindow::Materialize(int i) {
    if (i < 0 || i >= RowCount() || !context_) return nullptr;
    TVemoLayerFace*& row = rows_[std::size_t(i)];
    if (!row) {
        row = new TVemoLayerFace(*this, rowsBox_);
        row->SetLayer(context_->Document().GetLayerList().At(i));
        row->setGeometry(0, i * kRowHeight + 1, rowsBox_->width(), kRowHeight);
        row->show();
    }
    return row;
}

TVemoLayerFace* TLayerWindow::Row(int i) {
    return Materialize(i);
}

int TLayerWindow::LiveRowCount() const {
    int live = 0;
    for (const TVemoLayerFace* row : rows_) live += row != nullptr;
    return live;
}

void TLayerWindow::ShowVisibleRows() {
    const int top = scrollBox_->verticalScrollBar()->value();
    const int screen = std::max(scrollBox_->viewport()->height(), kRowHeight);
    const int first = std::max(0, (top - screen) / kRowHeight);
    const int last = std::min(RowCount() - 1, (top + 2 * screen) / kRowHeight);
    for (int i = first; i <= last; ++i) Materialize(i);
    // Far rows go once there are more than a few screens of them.
    constexpr int kKeep = 200;
    if (LiveRowCount() <= kKeep) return;
    for (int i = 0; i < RowCount(); ++i) {
        TVemoLayerFace*& row = rows_[std::size_t(i)];
        if (!row || (i >= first && i <= last) || row == pressed_ || row == dropTarget_) continue;
        row->hide();
        row->deleteLater();
        row = nullptr;
    }
}

void TLayerWindow::PlaceRows() {
    rowsBox_->setMinimumHeight(RowCount() * kRowHeight + 2);
    const int width = rowsBox_->width();
    for (int i = 0; i < RowCount(); ++i)
        if (TVemoLayerFace* row = rows_[std::size_t(i)])
            row->setGeometry(0, i * kRowHeight + 1, width, kRowHeight);
    ShowVisibleRows();
}

bool TLayerWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == rowsBox_ && event->type() == QEvent::Resize) PlaceRows();
    return QWidget::eventFilter(watched, event);
}

int TLayerWindow::IndexOf(const TVemoLayerFace* row) const {
    for (int i = 0; i < RowCount(); ++i)
        if (row && rows_[std::size_t(i)] == row) return i;
    return -1;
}

TVemoLayerFace* TLayerWindow::RowAt(QPoint global) const {
    for (TVemoLayerFace* row : rows_)
        if (row && row->isVisible() && row->rect().contains(row->mapFromGlobal(global))) return row;
    return nullptr;
}

void TLayerWindow::ClearDropLines() {
    for (TVemoLayerFace* row : rows_)
        if (row) row->SetDropLine(TVemoLayerFace::TDropLine::None);
}

void TLayerWindow::ShowLayerChange() {
    for (TVemoLayerFace* row : rows_)
        if (row) row->update();
    if (!context_) return;
    context_->RootObject().Rebuild();
    context_->Invalidate();
}

void TLayerWindow::RowPressed(TVemoLayerFace& row, int x, QPoint global, bool doubleClick) {
    if (doubleClick) doubleClick_ = true;
    const TVemoLayerPtr layer = row.Layer();
    if (!context_ || !layer) return;
    if (x < kLockX) {
        layer->SetVisible(!layer->IsVisible());
    } else if (x < kNameX) {
        layer->SetLocked(!layer->IsLocked());
    } else {
        context_->Document().GetLayerList().SetCurrent(layer);
        pressed_ = &row;
        pressedAt_ = global;
        dragging_ = false;
    }
    ShowLayerChange();
}

void TLayerWindow::RowMoved(TVemoLayerFace& row, QPoint global) {
    if (pressed_ != &row) return;
    if (!dragging_) {
        if ((global - pressedAt_).manhattanLength() < kDragDistance) return;
        dragging_ = true;
        setCursor(Qt::DragMoveCursor);
    }
    TVemoLayerFace* target = RowAt(global);
    if (target != dropTarget_ && dropTarget_) dropTarget_->SetDropLine(TVemoLayerFace::TDropLine::None);
    dropTarget_ = target;
    if (target && target != &row)
        target->SetDropLine(IndexOf(target) < IndexOf(&row) ? TVemoLayerFace::TDropLine::Top
                                                            : TVemoLayerFace::TDropLine::Bottom);
}

void TLayerWindow::RowReleased(TVemoLayerFace& row, int x, QPoint global) {
    const bool dragged = dragging_ && pressed_ == &row;
    pressed_ = nullptr;
    dragging_ = false;
    dropTarget_ = nullptr;
    unsetCursor();
    ClearDropLines();
    if (doubleClick_) {
        doubleClick_ = false;
        if (x > kNameX && context_ && row.Layer()) {
            context_->CurrentState()->Leave();
            TVemoLayerList& layers = context_->Document().GetLayerList();
            editor_.LoadLayer(row.Layer(), &layers);
            if (editor_.exec() == QDialog::Accepted) {
                TEditStep(*context_, TStepKind::Objects).Commit();
                RebuildRows();
                ShowLayerChange();
            }
        }
        return;
    }
    if (!dragged || !context_) return;
    TVemoLayerFace* target = RowAt(global);
    if (!target || target == &row || !target->Layer() || !row.Layer()) return;
    context_->CurrentState()->Leave();
    TEditStep step(*context_, TStepKind::LayerList);
    context_->Document().GetLayerList().Move(target->Layer(), row.Layer());
    step.Commit();
    RebuildRows();
    // Layers paint in list order: the picture changes.
    ShowLayerChange();
}

void TLayerWindow::NewLayer() {
    if (!context_) return;
    auto layer = std::make_shared<TVemoLayer>(0xFF0000FFu);
    editor_.LoadLayer(layer, nullptr);
    if (editor_.exec() != QDialog::Accepted) return;
    TVemoLayerList& layers = context_->Document().GetLayerList();
    context_->CurrentState()->Leave();
    TEditStep step(*context_, TStepKind::LayerList);
    layer->SetName(UniqueLayerName(layer->GetName(), layers));
    layers.Insert(layer);
    step.Commit();
    RebuildRows();
    // The current layer changed colour: show it at once.
    ShowLayerChange();
}

void TLayerWindow::DeleteLayer() {
    const auto answer = QMessageBox::question(
        this, tr("レイヤ"), tr("レイヤーに関連付けられているオブジェクトも削除されますが、よろしいですか？"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes || !context_) return;
    TVemoLayerList& layers = context_->Document().GetLayerList();
    const TVemoLayerPtr current = layers.Current();
    if (!current) return;
    context_->CurrentState()->Leave();
    TEditStep step(*context_, TStepKind::Objects);
    TLayerVisitor doomed(current->GetIndex());
    context_->RootObject().AcceptDeep(doomed);
    // Each removal may take an emptied group with it, never another collected object.
    for (TVemoObject* object : doomed.Objects()) object->RemoveFromParent();
    layers.EraseCurrent();
    step.Commit();
    RebuildRows();
    context_->Invalidate();
}

}  // namespace app
