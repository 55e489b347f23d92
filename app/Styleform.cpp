#include "app/Styleform.h"

#include <cmath>
#include <optional>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Previewframe.h"
#include "app/Vemoresource.h"
#include "geom/Units.h"
#include "model/Vemodocument.h"
#include "settings/Settings.h"
#include "states/Vemoeventcontext.h"

namespace app {

namespace {

// Pen widths and grid pitches offered when the settings file lists none (mm).
const std::vector<double> kDefaultWidths = {0.1, 0.15, 0.2, 0.25, 0.3, 0.4, 0.5, 0.8, 1.0, 1.5, 2.0};
const std::vector<double> kDefaultGrids = {0.127, 0.254, 0.635, 1.27, 2.54, 5.08, 10.0};

QString Text(double millimetres) {
    return QString::fromStdString(ShortestDecimal(millimetres));
}

// The number typed, in the C locale; none when the text is not one.
std::optional<double> Parse(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

QLineEdit* Field(QWidget* parent, const char* name, const QString& accessible, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setAccessibleName(accessible);
    edit->setFixedWidth(width);
    return edit;
}

QCheckBox* Check(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setAccessibleName(caption);
    return box;
}

QListWidget* List(QWidget* parent, const char* name, const QString& accessible,
                  const std::vector<double>& values) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setAccessibleName(accessible);
    for (double v : values) list->addItem(Text(v));
    return list;
}

// The picture of dash style i: a line across 64 x 16 pixels.
QPixmap DashPicture(int i) {
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                          Qt::DashDotDotLine};
    QPixmap picture(64, 16);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::black, 2, styles[i], Qt::FlatCap));
    painter.drawLine(2, 8, 62, 8);
    return picture;
}

}  // namespace

std::vector<double> OfferedLengths(const std::string& settingsPath, const char* section, const char* prefix,
                                   const std::vector<double>& fallback) {
    std::vector<double> values =
        settings::ReadNumberList(settings::ReadSettingsFile(settingsPath), section, prefix);
    return values.empty() ? fallback : values;
}

// ---- the stroke style page

TSurfaceFrame::TSurfaceFrame(const TVemoResource& resources, const std::string& settingsPath, QWidget* parent)
    : QFrame(parent) {
    setObjectName("SurfaceFrame");
    WidthEdit = Field(this, "WidthEdit", tr("線幅 (mm)"), 57);
    WidthListBox = List(this, "WidthListBox", tr("線幅の一覧"),
                        OfferedLengths(settingsPath, "SurfaceTab", "Width", kDefaultWidths));
    const auto joinButton = [&](const char* name, const char* picture, const QString& tip) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setToolTip(tip);
        button->setAccessibleName(tip);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setFixedSize(33, 33);
        button->setIconSize(QSize(24, 24));
        const QIcon icon = resources.Icon(picture);
        if (icon.isNull())
            button->setText(tip.left(2));
        else
            button->setIcon(icon);
        return button;
    };
    BevelButton = joinButton("BevelButton", "Bevel", tr("角を落とす"));
    RoundButton = joinButton("RoundButton", "Round", tr("丸める"));
    LineStyleList = new QComboBox(this);
    LineStyleList->setObjectName("LineStyleList");
    LineStyleList->setAccessibleName(tr("線種"));
    LineStyleList->setIconSize(QSize(64, 16));
    const QString dashNames[] = {tr("実線"), tr("破線"), tr("点線"), tr("一点鎖線"), tr("二点鎖線")};
    for (int i = 0; i < 5; ++i) {
        LineStyleList->addItem(QIcon(DashPicture(i)), QString());
        LineStyleList->setItemData(i, dashNames[i], Qt::ToolTipRole);
        LineStyleList->setItemData(i, dashNames[i], Qt::AccessibleTextRole);
    }
    MaskCheckBox = Check(this, "MaskCheckBox", tr("切りぬく"));
    FillCheckBox = Check(this, "FillCheckBox", tr("ぬりつぶす"));

    auto* widthLabel = new QLabel(tr("線幅 (mm)"), this);
    widthLabel->setBuddy(WidthEdit);
    auto* left = new QVBoxLayout;
    left->addWidget(widthLabel);
    left->addWidget(WidthEdit);
    left->addWidget(WidthListBox, 1);
    auto* joins = new QHBoxLayout;
    joins->addWidget(BevelButton);
    joins->addWidget(RoundButton);
    joins->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addLayout(joins);
    right->addWidget(LineStyleList);
    right->addWidget(MaskCheckBox);
    right->addWidget(FillCheckBox);
    right->addStretch(1);
    auto* row = new QHBoxLayout(this);
    row->addLayout(left);
    row->addLayout(right, 1);
    WidthListBox->setFixedWidth(72);

    connect(WidthEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!context_) return;
        if (const std::optional<double> mm = Parse(text)) context_->StylePanel().TypeWidth(*mm);
    });
    connect(WidthListBox, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (!context_ || !item) return;
        if (const std::optional<double> mm = Parse(item->text())) context_->StylePanel().ChooseWidth(*mm);
        Refresh();
    });
    // A box clicked while undecided becomes unchecked for every selected object.
    connect(MaskCheckBox, &QCheckBox::clicked, this, [this] {
        if (updating_ || !context_) return;
        TVemoStylePanel& panel = context_->StylePanel();
        panel.SetCutOut(panel.CutOut() ? MaskCheckBox->isChecked() : false);
        Refresh();
    });
    connect(FillCheckBox, &QCheckBox::clicked, this, [this] {
        if (updating_ || !context_) return;
        TVemoStylePanel& panel = context_->StylePanel();
        panel.SetFill(panel.Fill() ? FillCheckBox->isChecked() : false);
        Refresh();
    });
    connect(BevelButton, &QToolButton::clicked, this, [this] {
        if (updating_ || !context_) return;
        context_->StylePanel().SetBevel();
        Refresh();
    });
    connect(RoundButton, &QToolButton::clicked, this, [this] {
        if (updating_ || !context_) return;
        context_->StylePanel().SetRound();
        Refresh();
    });
    connect(LineStyleList, &QComboBox::activated, this, [this](int i) {
        if (updating_ || !context_) return;
        context_->StylePanel().SetDash(i);
        Refresh();
    });
    Refresh();
}

void TSurfaceFrame::SetContext(TVemoEventContext* context) {
    context_ = context;
    Refresh();
}

void TSurfaceFrame::Refresh() {
    if (!context_) {
        setEnabled(false);
        return;
    }
    setEnabled(true);
    updating_ = true;
    const TVemoStylePanel& panel = context_->StylePanel();
    // The field being typed in keeps the user's text.
    if (!WidthEdit->hasFocus()) WidthEdit->setText(QString::fromStdString(panel.WidthText()));
    const auto showBox = [](QCheckBox* box, std::optional<bool> value) {
        box->setTristate(!value.has_value());
        box->setCheckState(!value ? Qt::PartiallyChecked : *value ? Qt::Checked : Qt::Unchecked);
    };
    showBox(FillCheckBox, panel.Fill());
    showBox(MaskCheckBox, panel.CutOut());
    const int join = panel.Join();
    BevelButton->setChecked(join == 1);
    RoundButton->setChecked(join == 2);
    LineStyleList->setCurrentIndex(panel.Dash());
    updating_ = false;
}

// ---- the drawing page

TDesignFrame::TDesignFrame(const std::string& settingsPath, QWidget* parent) : QFrame(parent) {
    setObjectName("DesignFrame");
    GridEdit = Field(this, "GridEdit", tr("グリッド (mm)"), 57);
    GridListBox = List(this, "GridListBox", tr("グリッドの一覧"),
                       OfferedLengths(settingsPath, "StatusTab", "Grid", kDefaultGrids));
    GridListBox->setFixedWidth(72);
    ShowGridCheck = Check(this, "ShowGridCheck", tr("グリッドを表示"));
    LineGridCheck = Check(this, "LineGridCheck", tr("ライングリッド"));
    SnapGridCheck = Check(this, "SnapGridCheck", tr("グリッドにスナップ"));
    BackGroundCheck = Check(this, "BackGroundCheck", tr("背景を表示"));
    FixAspectCheck = Check(this, "FixAspectCheck", tr("縦横比を固定"));
    AreaLeftEdit = Field(this, "AreaLeftEdit", tr("図面領域 X (mm)"), 64);
    AreaTopEdit = Field(this, "AreaTopEdit", tr("図面領域 Y (mm)"), 64);
    AreaWidthEdit = Field(this, "AreaWidthEdit", tr("図面領域 W (mm)"), 64);
    AreaHeightEdit = Field(this, "AreaHeightEdit", tr("図面領域 H (mm)"), 64);

    auto* gridLabel = new QLabel(tr("グリッド (mm)"), this);
    gridLabel->setBuddy(GridEdit);
    auto* left = new QVBoxLayout;
    left->addWidget(gridLabel);
    left->addWidget(GridEdit);
    left->addWidget(GridListBox, 1);
    auto* checks = new QVBoxLayout;
    for (QCheckBox* box : {ShowGridCheck, LineGridCheck, SnapGridCheck, BackGroundCheck, FixAspectCheck})
        checks->addWidget(box);
    checks->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(checks, 1);

    auto* area = new QGroupBox(tr("図面領域"), this);
    area->setObjectName("AreaGroup");
    auto* fields = new QGridLayout(area);
    const auto place = [&](int r, int c, const char* caption, QLineEdit* edit) {
        auto* label = new QLabel(QString::fromUtf8(caption), area);
        label->setBuddy(edit);
        fields->addWidget(label, r, c * 2, Qt::AlignRight);
        fields->addWidget(edit, r, c * 2 + 1);
    };
    place(0, 0, "X", AreaLeftEdit);
    place(0, 1, "Y", AreaTopEdit);
    place(1, 0, "W", AreaWidthEdit);
    place(1, 1, "H", AreaHeightEdit);
    fields->setColumnStretch(4, 1);

    auto* column = new QVBoxLayout(this);
    column->addLayout(top, 1);
    column->addWidget(area);

    connect(GridEdit, &QLineEdit::textEdited, this, [this] { ApplyGrid(); });
    connect(GridListBox, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (!item) return;
        GridEdit->setText(item->text());
        ApplyGrid();
    });
    const std::pair<QCheckBox*, int> flags[] = {{ShowGridCheck, TVemoDocumentInfo::ViewShowGrid},
                                                {SnapGridCheck, TVemoDocumentInfo::ViewSnapToGrid},
                                                {LineGridCheck, TVemoDocumentInfo::ViewLineGrid},
                                                {BackGroundCheck, TVemoDocumentInfo::ViewShowBackground},
                                                {FixAspectCheck, TVemoDocumentInfo::ViewFixedAspect}};
    for (const auto& [box, flag] : flags)
        connect(box, &QCheckBox::clicked, this, [this, flag = flag](bool on) { ApplyFlag(flag, on); });
    connect(AreaLeftEdit, &QLineEdit::textEdited, this, [this](const QString& t) { ApplyOrigin(false, t); });
    connect(AreaTopEdit, &QLineEdit::textEdited, this, [this](const QString& t) { ApplyOrigin(true, t); });
    connect(AreaWidthEdit, &QLineEdit::textEdited, this, [this](const QString& t) { ApplySize(false, t); });
    connect(AreaHeightEdit, &QLineEdit::textEdited, this, [this](const QString& t) { ApplySize(true, t); });
    Refresh();
}

void TDesignFrame::SetContext(TVemoEventContext* context) {
    context_ = context;
    Refresh();
}

void TDesignFrame::Refresh() {
    if (!context_) {
        setEnabled(false);
        return;
    }
    setEnabled(true);
    updating_ = true;
    const TVemoDocument& doc = context_->Document();
    ShowGridCheck->setChecked(doc.TestViewFlags(TVemoDocumentInfo::ViewShowGrid));
    SnapGridCheck->setChecked(doc.TestViewFlags(TVemoDocumentInfo::ViewSnapToGrid));
    LineGridCheck->setChecked(doc.TestViewFlags(TVemoDocumentInfo::ViewLineGrid));
    BackGroundCheck->setChecked(doc.TestViewFlags(TVemoDocumentInfo::ViewShowBackground));
    FixAspectCheck->setChecked(doc.TestViewFlags(TVemoDocumentInfo::ViewFixedAspect));
    GridEdit->setText(Text(units::ToMm(doc.GetGrid())));
    areaX_ = doc.GetAreaX();
    areaY_ = doc.GetAreaY();
    areaWidth_ = doc.GetAreaWidth();
    areaHeight_ = doc.GetAreaHeight();
    AreaLeftEdit->setText(Text(units::ToMm(areaX_)));
    AreaTopEdit->setText(Text(units::ToMm(areaY_)));
    AreaWidthEdit->setText(Text(units::ToMm(areaWidth_)));
    AreaHeightEdit->setText(Text(units::ToMm(areaHeight_)));
    updating_ = false;
}

void TDesignFrame::ApplyFlag(int flag, bool on) {
    if (updating_ || !context_) return;
    TVemoDocument& doc = context_->Document();
    if (on)
        doc.SetViewFlags(flag);
    else
        doc.ClearViewFlags(flag);
    context_->Invalidate();
}

void TDesignFrame::ApplyGrid() {
    if (!context_) return;
    const std::optional<double> mm = Parse(GridEdit->text());
    if (!mm) return;
    // Pitches above 100 mm are refused: the grid would show nothing useful.
    const double g = units::FromMm(*mm);
    if (!(g > 0.0 && g <= 1000.0)) return;
    context_->Document().SetGrid(g);
    context_->Invalidate();
}

void TDesignFrame::ApplyOrigin(bool y, const QString& text) {
    if (!context_) return;
    const std::optional<double> mm = Parse(text);
    if (!mm) return;
    const double v = units::FromMm(*mm);
    if (!(v > -10000.0 && v < 10000.0)) return;
    (y ? areaY_ : areaX_) = v;
    context_->Document().SetAreaOrigin(areaX_, areaY_);
    context_->Invalidate();
}

void TDesignFrame::ApplySize(bool height, const QString& text) {
    if (!context_) return;
    const std::optional<double> mm = Parse(text);
    if (!mm) return;
    const double v = units::FromMm(*mm);
    if (!(v > 0.0 && v < 10000.0)) return;
    double& changed = height ? areaHeight_ : areaWidth_;
    double& other = height ? areaWidth_ : areaHeight_;
    if (FixAspectCheck->isChecked() && changed > 0.0) {
        other = other * v / changed;
        QLineEdit* otherEdit = height ? AreaWidthEdit : AreaHeightEdit;
        updating_ = true;
        otherEdit->setText(Text(units::ToMm(other)));
        updating_ = false;
    }
    changed = v;
    context_->Document().SetAreaSize(areaWidth_, areaHeight_);
    context_->Invalidate();
}

// ---- the window

TStyleForm::TStyleForm(const TVemoResource& resources, std::string settingsPath, QWidget* parent)
    : QWidget(parent), settingsPath_(std::move(settingsPath)) {
    setObjectName(kSection);
    setWindowTitle(tr("スタイル"));
    setAccessibleName(tr("スタイル"));
    surface_ = new TSurfaceFrame(resources, settingsPath_);
    design_ = new TDesignFrame(settingsPath_);
    PadTab = new QWidget;
    PadTab->setObjectName("PadTab");
    auto* padLayout = new QVBoxLayout(PadTab);
    padLayout->setContentsMargins(0, 0, 0, 0);
    preview_ = new TPreviewFrame(PadTab);
    padLayout->addWidget(preview_);
    StylePageControl = new QTabWidget(this);
    StylePageControl->setObjectName("StylePageControl");
    StylePageControl->addTab(surface_, tr("スタイル"));
    StylePageControl->addTab(design_, tr("図面"));
    StylePageControl->addTab(PadTab, tr("パッド"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(StylePageControl);
}

void TStyleForm::SetContext(TVemoEventContext* context) {
    surface_->SetContext(context);
    design_->SetContext(context);
    preview_->SetContext(context);
}

}  // namespace app
