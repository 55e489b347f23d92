#include "app/Mainform.h"

#include <cmath>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCursor>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "app/Checkform.h"
#include "app/Editor.h"
#include "app/Keymap.h"
#include "app/Numericform.h"
#include "app/Styleform.h"
#include "app/Vemoclipboard.h"
#include "app/Layeredit.h"
#include "app/Libraryform.h"
#include "app/Previewframe.h"
#include "app/Textform.h"
#include "app/Layerwindow.h"
#include "app/Menus.h"
#include "app/Swaplayerform.h"
#include "app/Vemodialogs.h"
#include "app/Versionform.h"
#include "app/Vemoformtemplate.h"
#include "app/Vemoresource.h"
#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "states/Vemostatebank.h"

namespace app {

namespace {

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState s = 0;
    if (modifiers & Qt::ShiftModifier) s |= ssShift;
    if (modifiers & Qt::AltModifier) s |= ssAlt;
    if (modifiers & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

// The main window's size on a first run: most of the screen, centred.
settings::TFormPlacement FirstRunPlacement() {
    settings::TFormPlacement p;
    const std::vector<QRect> screens = ScreenAreas();
    const QRect s = screens.empty() ? QRect(0, 0, 1280, 800) : screens.front();
    p.width = std::min(1200, s.width() * 9 / 10);
    p.height = std::min(820, s.height() * 9 / 10);
    p.left = s.left() + (s.width() - p.width) / 2;
    p.top = s.top() + (s.height() - p.height) / 2;
    return p;
}

}  // namespace

TDesignWidget::TDesignWidget(TVemoForm& form) : QWidget(&form), form_(form) {
    setObjectName("design");
    setAccessibleName(tr("デザイン"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(64, 64);
}

void TDesignWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TVemoEventContext* context = form_.Context();
    if (!context) {
        painter.fillRect(rect(), Qt::white);
        ++paints_;
        return;
    }
    // A resize leaves the bitmaps empty until the next idle: draw them now
    // rather than show what the memory held.
    painting_ = true;
    if (context->RedrawPending()) context->Idle();
    painting_ = false;
    const QImage& image = context->OverlayBitmap().Image();
    // The bitmap is in device pixels: drawn at 1/ratio it lands 1:1 on the screen.
    const qreal ratio = devicePixelRatioF();
    painter.scale(1.0 / ratio, 1.0 / ratio);
    painter.drawImage(0, 0, image);
    // Until the bitmaps follow a resize, what they do not cover is paper.
    const int w = int(std::ceil(width() * ratio)), h = int(std::ceil(height() * ratio));
    if (image.width() < w) painter.fillRect(image.width(), 0, w - image.width(), h, Qt::white);
    if (image.height() < h) painter.fillRect(0, image.height(), w, h - image.height(), Qt::white);
    if (band_) {
        // Dotted in the rubber-band colour, over the picture only.
        const geom::Argb c = DrawStyle().GetColour(dcRubberBand);
        QPen pen(QColor::fromRgb(c), 1.0, Qt::DotLine);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(band_->translated(0.5, 0.5));
    }
    if (marker_) {
        // A ring with a cross, in the band's colour on a white halo, so it reads on any copper.
        const geom::Argb c = DrawStyle().GetColour(dcRubberBand);
        const qreal r = 7.0 * ratio;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::NoBrush);
        for (const auto& [colour, width] :
             {std::pair{QColor(Qt::white), 4.0 * ratio}, std::pair{QColor::fromRgb(c), 2.0 * ratio}}) {
            painter.setPen(QPen(colour, width));
            painter.drawEllipse(*marker_, r, r);
            painter.drawLine(*marker_ - QPointF(r * 1.6, 0), *marker_ + QPointF(r * 1.6, 0));
            painter.drawLine(*marker_ - QPointF(0, r * 1.6), *marker_ + QPointF(0, r * 1.6));
        }
    }
    if (!checkMarks_.empty() && StampOf(*context) != checkStamp_) {
        // The board was edited: the findings no longer describe it.
        checkMarks_.clear();
        form_.checkForm_->BoardChanged();
    }
    if (!checkMarks_.empty()) {
        // A ring around each gap with its closest points joined, red on a white halo.
        const Matrix& view = context->Document().GetViewMatrix();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::NoBrush);
        for (int i = 0; i < int(checkMarks_.size()); ++i) {
            const PointF a = view.Map(checkMarks_[std::size_t(i)].first);
            const PointF b = view.Map(checkMarks_[std::size_t(i)].second);
            const QPointF pa(a.x, a.y), pb(b.x, b.y), mid = (pa + pb) / 2;
            const bool chosen = i == checkChosen_;
            const qreal r = std::max((chosen ? 12.0 : 8.0) * ratio, QLineF(pa, pb).length() / 2 + 4 * ratio);
            const qreal line = (chosen ? 3.0 : 2.0) * ratio;
            for (const auto& [colour, width] :
                 {std::pair{QColor(Qt::white), line + 2.0 * ratio}, std::pair{QColor(220, 20, 20), line}}) {
                painter.setPen(QPen(colour, width));
                painter.drawEllipse(mid, r, r);
                painter.drawLine(pa, pb);
            }
        }
    }
    ++paints_;
    if (context->PictureFinal()) ++settledPaints_;
}

void TDesignWidget::resizeEvent(QResizeEvent*) {
    form_.ResizeDesign();
}

void TDesignWidget::mousePressEvent(QMouseEvent* event) {
    if (TVemoEventContext* c = form_.Context()) {
        const QPointF p = event->position() * devicePixelRatioF();
        c->MouseDown(ShiftOf(event->modifiers(), event->buttons()), int(p.x()), int(p.y()));
    }
}

void TDesignWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (TVemoEventContext* c = form_.Context()) {
        const QPointF p = event->position() * devicePixelRatioF();
        c->MouseDown(ShiftOf(event->modifiers(), event->buttons()) | ssDouble, int(p.x()), int(p.y()));
    }
}

void TDesignWidget::mouseMoveEvent(QMouseEvent* event) {
    if (TVemoEventContext* c = form_.Context()) {
        const QPointF p = event->position() * devicePixelRatioF();
        c->MouseMove(ShiftOf(event->modifiers(), event->buttons()), int(p.x()), int(p.y()));
    }
}

void TDesignWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (TVemoEventContext* c = form_.Context()) {
        const QPointF p = event->position() * devicePixelRatioF();
        c->MouseUp(ShiftOf(event->modifiers(), event->buttons()), int(p.x()), int(p.y()));
    }
}

void TDesignWidget::wheelEvent(QWheelEvent* event) {
    event->accept();
    TVemoEventContext* c = form_.Context();
    if (!c) return;
    // One zoom step per notch (120); finer wheels add up to notches.
    wheelRest_ += event->angleDelta().y();
    const QPointF p = event->position() * devicePixelRatioF();
    while (wheelRest_ >= 120 || wheelRest_ <= -120) {
        const int step = wheelRest_ > 0 ? 120 : -120;
        wheelRest_ -= step;
        c->MouseWheel(ShiftOf(event->modifiers(), event->buttons()), step, int(p.x()), int(p.y()));
    }
}

TVemoForm::TVemoForm(const TVemoResource& resources, std::string settingsPath, QWidget* parent)
    : QMainWindow(parent), resources_(resources), settingsPath_(std::move(settingsPath)) {
    setObjectName(kSection);
    setWindowTitle("zelko");
    setWindowIcon(resources_.Icon("Pad"));
    LoadFormPlacement(*this, settingsPath_, kSection, FirstRunPlacement());

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    toolPanel_ = new QWidget(central);
    toolPanel_->setObjectName("toolPanel");
    toolPanel_->setAccessibleName(tr("ツール"));
    toolPanel_->setFixedWidth(TMenuControl::kPanelWidth);
    auto* column = new QVBoxLayout(toolPanel_);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(TMenuControl::kButtonPitch - TMenuControl::kButtonSize);
    column->setAlignment(Qt::AlignTop);
    auto* mainLayout = new QVBoxLayout;
    mainLayout->setSpacing(TMenuControl::kButtonPitch - TMenuControl::kButtonSize);
    column->addLayout(mainLayout);
    auto* rule = new QFrame(toolPanel_);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    column->addWidget(rule);
    subLayout_ = new QVBoxLayout;
    subLayout_->setSpacing(TMenuControl::kButtonPitch - TMenuControl::kButtonSize);
    column->addLayout(subLayout_);
    column->addStretch(1);
    auto* edge = new QFrame(central);
    edge->setFrameShape(QFrame::VLine);
    edge->setFrameShadow(QFrame::Sunken);
    design_ = new TDesignWidget(*this);
    row->addWidget(toolPanel_);
    row->addWidget(edge);
    row->addWidget(design_, 1);
    setCentralWidget(central);

    const QString positionNames[] = {tr("ポインタの位置"), tr("原点からの距離"), QString()};
    const QString positionTips[] = {tr("ポインタの位置 (mm)"),
                                    tr("原点からの距離 (mm)。原点は、ツールで最後にクリックした点です。"),
                                    QString()};
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int i = 0; i < 3; ++i) {
        status_[i] = new QLabel(this);
        status_[i]->setObjectName(QStringLiteral("status%1").arg(i));
        status_[i]->setAccessibleName(positionNames[i]);
        status_[i]->setToolTip(positionTips[i]);
        if (i < 2) {
            status_[i]->setFont(fixed);
            const int wide = QFontMetrics(fixed).horizontalAdvance("X -00000.000000 Y -00000.000000") + 16;
            status_[i]->setMinimumWidth(std::max(160, wide));
        } else {
            status_[i]->setMinimumWidth(50);
        }
        statusBar()->addWidget(status_[i]);
    }
    dialogs_ = std::make_unique<TVemoDialogs>(this);
    menus_ = new TVemoMenus(*this, settingsPath_);
    layerEdit_ = new TLayerEdit(this);
    layerWindow_ = new TLayerWindow(resources_, *layerEdit_, this);
    versionForm_ = new TVersionForm(this);
    swapLayerForm_ = new TSwapLayerForm(settingsPath_, this);
    menus_->SetDialog("version", versionForm_);
    menus_->SetDialog("swap_layer", swapLayerForm_);
    numeric_ = new TNumericForm(this);
    style_ = new TStyleForm(resources_, settingsPath_, this);
    textForm_ = new TTextForm(settingsPath_, this);
    libraryForm_ = new TLibraryForm(settingsPath_, this);
    MakeDocks();
    MakeOutputWindows();
    checkForm_ = new TCheckForm(*this, settingsPath_);

    idle_.setSingleShot(true);
    idle_.setInterval(0);
    connect(&idle_, &QTimer::timeout, this, [this] {
        if (context_) context_->Idle();
    });
}

TVemoForm::~TVemoForm() {
    SaveDocks();
    if (style_) style_->SetContext(nullptr);
    if (keys_) qApp->removeEventFilter(keys_.get());
    keys_.reset();
    menus_->SetContext(nullptr, {});
    layerWindow_->SetContext(nullptr);
    swapLayerForm_->SetContext(nullptr);
    checkForm_->SetContext(nullptr);
    context_.reset();
}

void TVemoForm::Start(std::unique_ptr<TVemoDocument> document) {
    pending_ = std::move(document);
    QTimer::singleShot(0, this, &TVemoForm::StartUp);
}

void TVemoForm::StartUp() {
    if (context_) return;
    context_ = std::make_unique<TVemoEventContext>(*this);
    menus_->SetContext(context_.get(), [] {
        std::string ignored;
        return LoadInitialDocument("", ignored);
    });
    context_->SetDocument(std::move(pending_));
    for (const auto& b : context_->MenuControl().MainButtons()) {
        QToolButton* button = MakeToolButton(*b, toolPanel_);
        static_cast<QVBoxLayout*>(toolPanel_->layout()->itemAt(0)->layout())->addWidget(button);
        mainButtons_.push_back(button);
    }
    SyncToolPanel();
    layerWindow_->SetContext(context_.get());
    swapLayerForm_->SetContext(context_.get());
    checkForm_->SetContext(context_.get());
    menus_->SetCommand("design_check", [this] {
        checkForm_->show();
        checkForm_->raise();
        checkForm_->activateWindow();
    });
    menus_->SetWindow("layer", layerDock_);
    keys_ = std::make_unique<TKeyObserver>(
        [this](int key, bool down, bool repeat) {
            if (!context_) return;
            down ? context_->KeyDown(key, repeat) : context_->KeyUp(key, repeat);
        },
        [this] { ReleaseKeys(); });
    qApp->installEventFilter(keys_.get());
    style_->SetContext(context_.get());
    // Pads and parts are read once: files added later are seen after a restart.
    style_->PreviewFrame()->SetPadFolder(TVemoResource::ContentFolder("pad").string());
    libraryForm_->SetLibraryFolder(TVemoResource::ContentFolder("lib").string());
    menus_->SetWindow("style", styleDock_);
    menus_->SetCommand("fit", [this] { context_->ShowWholeArea(); });
    menus_->SetCommand("zoom_in", [this] { ZoomAtPointer(+1); });
    menus_->SetCommand("zoom_out", [this] { ZoomAtPointer(-1); });
    ResizeDesign();
    // Zoom and pan are not kept in the file: open on the whole board.
    context_->ShowWholeArea();
    // The style window and the layer panel came up too: the keyboard stays with the drawing.
    if (isVisible()) activateWindow();
    design_->setFocus();
}

void TVemoForm::ZoomAtPointer(int direction) {
    if (!context_) return;
    // As one wheel notch: about the pointer when it is over the drawing, else about its middle.
    const QPoint local = design_->mapFromGlobal(QCursor::pos());
    const QPointF at = (design_->rect().contains(local) ? QPointF(local) : QRectF(design_->rect()).center()) *
                       design_->devicePixelRatioF();
    context_->MouseWheel(0, direction > 0 ? 120 : -120, int(at.x()), int(at.y()));
}

void TVemoForm::ReleaseKeys() {
    // Keys let go in another program are never reported: let go of them here,
    // or a held Space would keep the pan tool after coming back.
    if (!context_) return;
    for (int key :
         {vk::Space, int('X'), int('Y'), int('Z'), int('R'), int('M'), int('G'), vk::Control, vk::Shift})
        if (context_->Session().keys.Flags() & TVemoKeyState::BitOf(key)) context_->KeyUp(key);
}

void TVemoForm::MakeDocks() {
    const auto dock = [this](QWidget* panel, const char* name) {
        auto* d = new QDockWidget(panel->windowTitle(), this);
        d->setObjectName(name);
        d->setAccessibleName(panel->accessibleName());
        d->setWidget(panel);
        d->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
        addDockWidget(Qt::RightDockWidgetArea, d, Qt::Vertical);
        return d;
    };
    styleDock_ = dock(style_, "StyleDock");
    layerDock_ = dock(layerWindow_, "LayerDock");
    // First run: the style window over the layer panel, beside the drawing, so
    // nothing covers the board however small the screen.
    resizeDocks({styleDock_}, {TStyleForm::kFirstWidth}, Qt::Horizontal);
    resizeDocks({styleDock_, layerDock_}, {TStyleForm::kFirstHeight, 320}, Qt::Vertical);
    const settings::TIniFile ini = settings::ReadSettingsFile(settingsPath_);
    if (const auto state = ini.Find(kSection, kDocksKey))
        restoreState(QByteArray::fromBase64(QByteArray::fromStdString(*state)), kDocksVersion);
}

void TVemoForm::SaveDocks() {
    const std::string state = saveState(kDocksVersion).toBase64().toStdString();
    std::string error;
    // A placement that cannot be written is not worth a message at exit.
    settings::UpdateSettingsFile(
        settingsPath_, [&](settings::TIniFile& ini) { ini.WriteString(kSection, kDocksKey, state); }, error);
}

void TVemoForm::ResizeDesign() {
    if (!context_) return;
    const qreal ratio = design_->devicePixelRatioF();
    context_->Resize(int(design_->width() * ratio), int(design_->height() * ratio));
}

QToolButton* TVemoForm::MakeToolButton(TVemoToolButton& model, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromStdString(model.CommandName()));
    // The tool panel's tooltips are written in the states; their translation is ours.
    const QString tip = QCoreApplication::translate("TMenuControl", model.Tooltip().c_str());
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setAutoRaise(true);
    button->setFixedSize(TMenuControl::kButtonSize, TMenuControl::kButtonSize);
    button->setIconSize(QSize(24, 24));
    button->setFocusPolicy(Qt::NoFocus);
    button->setCheckable(model.IsMainTool() || model.IsToggle());
    const QIcon icon = resources_.Icon(model.Picture());
    if (icon.isNull())
        button->setText(QString::fromStdString(model.CommandName()).left(3));
    else
        button->setIcon(icon);
    const std::string& command = model.CommandName();
    connect(button, &QToolButton::clicked, this, [this, command] {
        if (!context_) return;
        if (TVemoToolButton* b = context_->MenuControl().Find(command)) context_->MenuControl().UserClick(*b);
        SyncToolPanel();
    });
    return button;
}

QToolButton* TVemoForm::ToolButton(const std::string& command) {
    for (QToolButton* b : mainButtons_)
        if (b->objectName().toStdString() == command) return b;
    for (QToolButton* b : subButtons_)
        if (b->objectName().toStdString() == command) return b;
    return nullptr;
}

void TVemoForm::SyncToolPanel() {
    if (!context_) return;
    const TMenuControl& menu = context_->MenuControl();
    if (menu.SubToolGeneration() != subGeneration_) {
        // Later: the old buttons may be the sender of the click being handled.
        for (QToolButton* b : subButtons_) {
            b->hide();
            b->deleteLater();
        }
        subButtons_.clear();
        for (const auto& model : menu.SubButtons()) {
            QToolButton* button = MakeToolButton(*model, toolPanel_);
            subLayout_->addWidget(button);
            subButtons_.push_back(button);
        }
        subGeneration_ = menu.SubToolGeneration();
    }
    const auto sync = [](const std::vector<std::unique_ptr<TVemoToolButton>>& models,
                         const std::vector<QToolButton*>& buttons) {
        for (std::size_t i = 0; i < models.size() && i < buttons.size(); ++i)
            if (buttons[i]->isCheckable()) buttons[i]->setChecked(models[i]->IsDown());
    };
    sync(menu.MainButtons(), mainButtons_);
    sync(menu.SubButtons(), subButtons_);
}

void TVemoForm::ShowWritten(const std::string& text) {
    statusBar()->showMessage(QString::fromStdString(text));
}

void TVemoForm::SetStatusText(int panel, const std::string& text) {
    // The readouts come back over a message about a written file.
    if (panel < 2 && !statusBar()->currentMessage().isEmpty()) statusBar()->clearMessage();
    if (panel >= 0 && panel < 3) status_[panel]->setText(QString::fromStdString(text));
}

// "[*]" is where Qt shows the mark of unsaved changes ("*" here).
void TVemoForm::SetCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption) + QStringLiteral("[*]"));
}

void TVemoForm::ShowModified(bool modified) {
    // Asked after every redraw: the title is set again only when the mark changes.
    if (isWindowModified() != modified) setWindowModified(modified);
}

void TVemoForm::SetCursor(int id) {
    auto it = cursors_.find(id);
    if (it == cursors_.end()) it = cursors_.emplace(id, TVemoResource::Cursor(id)).first;
    design_->setCursor(it->second);
}

void TVemoForm::Present(const TDIBitmap&) {
    // Inside a paint the picture is about to be drawn anyway.
    if (!design_->painting_) design_->repaint();
}

void TVemoForm::ScheduleIdle() {
    if (!idle_.isActive()) idle_.start();
}

void TVemoForm::ToolPanelChanged() {
    SyncToolPanel();
}

TAnswer TVemoForm::AskYesNoCancel(const std::string& question) {
    const auto answer = QMessageBox::question(this, "zelko", QString::fromStdString(question),
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return answer == QMessageBox::Yes  ? TAnswer::Yes
           : answer == QMessageBox::No ? TAnswer::No
                                       : TAnswer::Cancel;
}

TChangedFileAnswer TVemoForm::AskChangedFile(const std::string& name) {
    QMessageBox box(QMessageBox::Warning, "zelko",
                    tr("ファイル \"%1\" は、開いた後 (または保存した後) "
                       "に他のプログラムかウィンドウで書き換えられています。\n"
                       "上書きすると、その変更は失われます。")
                        .arg(QString::fromStdString(name)),
                    QMessageBox::NoButton, this);
    box.setObjectName("ChangedFileBox");
    QPushButton* overwrite = box.addButton(tr("上書き"), QMessageBox::DestructiveRole);
    QPushButton* saveAs = box.addButton(tr("名前を付けて保存..."), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    overwrite->setObjectName("Overwrite");
    saveAs->setObjectName("SaveAs");
    box.setDefaultButton(saveAs);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == overwrite) return TChangedFileAnswer::Overwrite;
    if (box.clickedButton() == saveAs) return TChangedFileAnswer::SaveAs;
    return TChangedFileAnswer::Cancel;
}

std::optional<std::string> TVemoForm::AskSaveFileName() {
    return dialogs_->AskSave(TFileKind::Document);
}

std::optional<std::string> TVemoForm::AskOpenFileName(TFileKind kind) {
    return dialogs_->AskOpen(kind);
}

void TVemoForm::AddRecentFile(const std::string& name) {
    menus_->AddRecentFile(name);
}

void TVemoForm::RefreshLayers() {
    if (layerWindow_) layerWindow_->RebuildRows();
}

void TVemoForm::ShowError(const std::string& message) {
    QMessageBox::warning(this, "zelko", QString::fromStdString(message));
}

bool TVemoForm::IsEditorActive() {
    if (!isActiveWindow()) return false;
    // Keys typed into a field are the field's, not the tools'.
    QWidget* focus = QApplication::focusWidget();
    return !(qobject_cast<QLineEdit*>(focus) || qobject_cast<QAbstractSpinBox*>(focus) ||
             qobject_cast<QTextEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus) ||
             (qobject_cast<QComboBox*>(focus) && static_cast<QComboBox*>(focus)->isEditable()));
}

void TVemoForm::ShowSnapMarker(const std::optional<PointF>& pixels) {
    const std::optional<QPointF> marker =
        pixels ? std::optional<QPointF>(QPointF(pixels->x, pixels->y)) : std::nullopt;
    if (marker == design_->marker_) return;
    design_->marker_ = marker;
    design_->update();
}

void TVemoForm::ShowCheckMarks(std::vector<std::pair<PointF, PointF>> marks, int chosen,
                               const TBoardStamp& stamp) {
    design_->checkMarks_ = std::move(marks);
    design_->checkChosen_ = chosen;
    design_->checkStamp_ = stamp;
    design_->update();
}

void TVemoForm::ShowRubberBand(const std::optional<RectF>& pixels) {
    const bool had = design_->band_.has_value();
    design_->band_.reset();
    if (pixels) design_->band_ = QRectF(pixels->x, pixels->y, pixels->width, pixels->height);
    // Showing it is up to the Present that follows; taking it away needs a paint.
    if (had && !pixels) design_->update();
}

std::optional<Matrix> TVemoForm::AskNumericTransform(PointF anchor) {
    numeric_->SetAnchor(anchor);
    if (numeric_->exec() != QDialog::Accepted) return std::nullopt;
    return numeric_->Transform();
}

bool TVemoForm::EditTextModal(TVemoString& text) {
    textForm_->EditText(text);
    return textForm_->exec() == QDialog::Accepted;
}

const TVemoFont* TVemoForm::CurrentTextFont() {
    return &textForm_->CurrentFont();
}

const TVemoGroup* TVemoForm::SelectedPad() {
    return style_ ? style_->PreviewFrame()->SelectedPad() : nullptr;
}

const TVemoGroup* TVemoForm::ChooseLibraryPart() {
    if (libraryForm_->exec() != QDialog::Accepted) return nullptr;
    return &libraryForm_->ChosenPart();
}

void TVemoForm::ShowSelectionStyle() {
    if (style_) style_->SurfaceFrame()->Refresh();
}

void TVemoForm::RefreshDesignPanel() {
    if (style_) style_->DesignFrame()->Refresh();
}

void TVemoForm::SetClipboardObjects(const std::string& bytes) {
    app::SetClipboardObjects(bytes);
}

std::optional<std::string> TVemoForm::ClipboardObjects() {
    return app::ClipboardObjects();
}

void TVemoForm::closeEvent(QCloseEvent* event) {
    if (context_ && context_->QuerySave() == TAnswer::Cancel) {
        event->ignore();
        return;
    }
    std::string error;
    // A placement that cannot be written is not worth keeping the window open for.
    SaveFormPlacement(*this, settingsPath_, kSection, error);
    event->accept();
}

}  // namespace app
