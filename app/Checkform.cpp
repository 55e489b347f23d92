#include "app/Checkform.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/Mainform.h"
#include "app/Vemoformtemplate.h"
#include "app/Vemoresource.h"
#include "archive/Vemo_iarchive.h"
#include "archive/Vemo_oarchive.h"
#include "archive/Vemoobjectio.h"
#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "model/Vemopart.h"
#include "settings/Settings.h"
#include "states/Vemoeventcontext.h"
#include "states/Vemoselectstate.h"

namespace app {

namespace {

// The rules as the window names them, in the engine's order.
struct TRuleCaption {
    const char* rule;
    const char* caption;
    const char* tip;
};
const TRuleCaption kRuleCaptions[] = {
    {"clearance", QT_TRANSLATE_NOOP("app::TCheckForm", "クリアランス"),
     QT_TRANSLATE_NOOP("app::TCheckForm", "同じレイヤーで、つながっていない銅箔どうしの最小の間隔 (mm)")},
    {"min-width", QT_TRANSLATE_NOOP("app::TCheckForm", "最小線幅"),
     QT_TRANSLATE_NOOP("app::TCheckForm", "銅箔の線の最小の幅 (mm)")},
    {"min-annular", QT_TRANSLATE_NOOP("app::TCheckForm", "最小ランド幅"),
     QT_TRANSLATE_NOOP("app::TCheckForm", "穴のまわりに残る銅箔の輪の最小の幅 (mm)")},
    {"min-drill", QT_TRANSLATE_NOOP("app::TCheckForm", "最小穴径"),
     QT_TRANSLATE_NOOP("app::TCheckForm", "穴の最小の直径 (mm)")},
    {"max-drill", QT_TRANSLATE_NOOP("app::TCheckForm", "最大穴径"),
     QT_TRANSLATE_NOOP("app::TCheckForm", "穴の最大の直径 (mm)")},
    {"edge-clearance", QT_TRANSLATE_NOOP("app::TCheckForm", "基板端からの距離"),
     QT_TRANSLATE_NOOP("app::TCheckForm", "銅箔と基板の外形との最小の間隔 (mm)")},
    {"silk-over-pad", QT_TRANSLATE_NOOP("app::TCheckForm", "パッド上のシルク"), nullptr},
};

QString RuleCaption(const std::string& rule) {
    for (const TRuleCaption& c : kRuleCaptions)
        if (rule == c.rule) return TCheckForm::tr(c.caption);
    return QString::fromStdString(rule);
}

QString Mm(double mm) {
    return QString::number(mm, 'f', 3);
}

// A number as typed: a decimal comma is taken as a point.
bool ParseMm(const QString& text, double& mm) {
    bool ok = false;
    mm = QLocale::c().toDouble(text.trimmed().replace(',', '.'), &ok);
    return ok;
}

// The top-level object a finding's path starts at ("12/3": child 12 of the board).
TVemoObject* TopObject(TVemoPart& root, const std::string& path) {
    int index = 0;
    std::size_t i = 0;
    for (; i < path.size() && path[i] >= '0' && path[i] <= '9'; ++i) index = index * 10 + (path[i] - '0');
    if (i == 0 || index >= root.GetChildCount()) return nullptr;
    return root.GetChild(index);
}

}  // namespace

TBoardStamp StampOf(TVemoEventContext& context) {
    const TVemoHistory& history = context.History();
    return {&context.Document(), history.Count() ? history.At(history.CurrentIndex()) : nullptr,
            history.Count(), history.CurrentIndex()};
}

TCheckForm::TCheckForm(TVemoForm& form, std::string settingsPath)
    : QDialog(&form), form_(form), settingsPath_(std::move(settingsPath)) {
    setObjectName(kSection);
    setWindowTitle(tr("デザインルールチェック"));
    setAccessibleName(windowTitle());
    setModal(false);

    preset_ = new QComboBox(this);
    preset_->setObjectName("Preset");
    preset_->setAccessibleName(tr("プリセット"));
    preset_->setToolTip(tr("付属のルールから値を取ります"));
    auto* rulesForm = new QFormLayout;
    rulesForm->addRow(tr("プリセット(&P)"), preset_);
    for (const check::TRuleField& field : check::RuleFields()) {
        const TRuleCaption* caption = nullptr;
        for (const TRuleCaption& c : kRuleCaptions)
            if (std::string(field.name) == c.rule) caption = &c;
        auto* edit = new QLineEdit(this);
        edit->setObjectName(field.name);
        const QString name = caption ? tr(caption->caption) : QString::fromUtf8(field.name);
        edit->setAccessibleName(name);
        if (caption && caption->tip) edit->setToolTip(tr(caption->tip));
        edit->setMaximumWidth(100);
        auto* row = new QHBoxLayout;
        row->addWidget(edit);
        row->addWidget(new QLabel(QStringLiteral("mm"), this));
        row->addStretch(1);
        rulesForm->addRow(name, row);
        fields_.emplace_back(field.name, edit);
        connect(edit, &QLineEdit::textEdited, this, [this] { preset_->setCurrentIndex(0); });
    }
    copper_ = new QLineEdit(this);
    copper_->setObjectName("copperLayers");
    copper_->setAccessibleName(tr("追加の銅箔レイヤー"));
    copper_->setToolTip(tr("solder と component のほかに銅箔のあるレイヤー (カンマで区切る)"));
    rulesForm->addRow(tr("追加の銅箔レイヤー"), copper_);
    silk_ = new QCheckBox(tr("パッド上のシルクを調べる"), this);
    silk_->setObjectName("silkOverPad");
    silk_->setToolTip(tr("シルク印刷がレジストの開口部にかかっていないか調べます"));
    rulesForm->addRow(QString(), silk_);
    connect(silk_, &QCheckBox::clicked, this, [this] { preset_->setCurrentIndex(0); });

    run_ = new QPushButton(tr("実行(&R)"), this);
    run_->setObjectName("RunButton");
    run_->setToolTip(tr("開いている基板をこのルールでチェックします"));
    run_->setDefault(true);
    cancel_ = new QPushButton(tr("中止"), this);
    cancel_->setObjectName("CancelButton");
    cancel_->setToolTip(tr("実行中のチェックを止めます"));
    cancel_->setAutoDefault(false);
    auto* close = new QPushButton(tr("閉じる"), this);
    close->setObjectName("CloseButton");
    close->setAutoDefault(false);
    progress_ = new QProgressBar(this);
    progress_->setObjectName("Progress");
    progress_->setAccessibleName(tr("進み具合"));
    progress_->setRange(0, 100);
    step_ = new QLabel(this);
    step_->setObjectName("Step");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(run_);
    buttons->addWidget(cancel_);
    buttons->addWidget(progress_, 1);
    buttons->addWidget(close);

    table_ = new QTableWidget(0, 7, this);
    table_->setObjectName("Violations");
    table_->setAccessibleName(tr("違反の一覧"));
    table_->setHorizontalHeaderLabels({tr("ルール"), tr("レイヤー"), QStringLiteral("X (mm)"),
                                       QStringLiteral("Y (mm)"), tr("実測 (mm)"), tr("規定 (mm)"),
                                       tr("内容")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    summary_ = new QLabel(this);
    summary_->setObjectName("Summary");
    summary_->setAccessibleName(tr("結果"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* column = new QVBoxLayout(this);
    column->addLayout(rulesForm);
    column->addLayout(buttons);
    column->addWidget(step_);
    column->addWidget(table_, 1);
    column->addWidget(summary_);

    connect(run_, &QPushButton::clicked, this, [this] { Run(); });
    connect(cancel_, &QPushButton::clicked, this, &TCheckForm::Cancel);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(preset_, &QComboBox::activated, this, &TCheckForm::ChoosePreset);
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
        const QList<QTableWidgetItem*> items = table_->selectedItems();
        if (!items.isEmpty()) ShowViolation(items.front()->row());
    });
    poll_.setInterval(50);
    connect(&poll_, &QTimer::timeout, this, &TCheckForm::Poll);

    LoadPresets();
    LoadRules();
    SetRunning(false);
    LoadFormPlacement(*this, settingsPath_, kSection, CentredOnFirstScreen(620, 560));
}

TCheckForm::~TCheckForm() {
    cancelled_ = true;
    if (worker_.joinable()) worker_.join();
    std::string error;
    SaveFormPlacement(*this, settingsPath_, kSection, error);
}

QLineEdit* TCheckForm::Field(const std::string& rule) const {
    for (const auto& [name, edit] : fields_)
        if (name == rule) return edit;
    return nullptr;
}

void TCheckForm::LoadPresets() {
    preset_->addItem(tr("(手入力)"));
    const std::filesystem::path folder = TVemoResource::ContentFolder("rules");
    std::error_code ec;
    if (!folder.empty())
        for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            if (it->path().extension() == ".ini")
                presets_.push_back({it->path().stem().string(), it->path().string()});
    std::sort(presets_.begin(), presets_.end(),
              [](const TPreset& a, const TPreset& b) { return a.name < b.name; });
    for (const TPreset& p : presets_) {
        // The file's own words for itself, else its name.
        const std::string shown = settings::ReadSettingsFile(p.path).ReadString("preset", "name", p.name);
        preset_->addItem(QString::fromStdString(shown), QString::fromStdString(p.name));
    }
}

void TCheckForm::ChoosePreset(int index) {
    if (index <= 0 || std::size_t(index) > presets_.size()) return;
    check::TDesignRules rules;
    std::string error;
    ReadFields(rules, error);  // what cannot be read is replaced by the preset anyway
    const check::TDesignRules kept = rules;
    rules = check::TDesignRules{};
    rules.extraCopper = kept.extraCopper;
    if (!check::ReadRulesFile(presets_[std::size_t(index - 1)].path, rules, error)) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(error));
        preset_->setCurrentIndex(0);
        return;
    }
    ShowRules(rules);
}

void TCheckForm::ShowRules(const check::TDesignRules& rules) {
    for (const check::TRuleField& field : check::RuleFields())
        if (QLineEdit* edit = Field(field.name)) edit->setText(QString::number(rules.*field.value, 'g', 6));
    QStringList layers;
    for (const std::string& name : rules.extraCopper) layers << QString::fromStdString(name);
    copper_->setText(layers.join(QStringLiteral(", ")));
    silk_->setChecked(rules.silkOverPad);
}

bool TCheckForm::ReadFields(check::TDesignRules& rules, std::string& error) {
    rules.extraCopper.clear();
    for (const QString& name : copper_->text().split(',', Qt::SkipEmptyParts))
        if (!name.trimmed().isEmpty()) rules.extraCopper.push_back(name.trimmed().toStdString());
    rules.silkOverPad = silk_->isChecked();
    bool good = true;
    for (const check::TRuleField& field : check::RuleFields()) {
        QLineEdit* edit = Field(field.name);
        double mm = 0.0;
        std::string problem;
        if (!ParseMm(edit->text(), mm))
            problem = tr("%1 は mm 単位の数値で入力してください (\"%2\" は数値ではありません)")
                          .arg(QString::fromUtf8(field.name), edit->text())
                          .toStdString();
        else
            problem = check::RuleValueProblem(field.name, mm);
        if (!problem.empty()) {
            if (good) {
                error = problem;
                edit->setFocus();
                edit->selectAll();
            }
            good = false;
            continue;
        }
        rules.*field.value = mm;
    }
    if (!good) return false;
    if (std::string problem = check::RulesProblem(rules); !problem.empty()) {
        error = problem;
        Field("min-drill")->setFocus();
        return false;
    }
    return true;
}

void TCheckForm::LoadRules() {
    const settings::TIniFile ini = settings::ReadSettingsFile(settingsPath_);
    check::TDesignRules rules;
    // A value spoilt in the file by hand falls back to the default.
    for (const check::TRuleField& field : check::RuleFields()) {
        double mm = 0.0;
        if (const auto text = ini.Find(kSection, field.name); text &&
                                                              ParseMm(QString::fromStdString(*text), mm) &&
                                                              check::RuleValueProblem(field.name, mm).empty())
            rules.*field.value = mm;
    }
    if (!check::RulesProblem(rules).empty()) rules = check::TDesignRules{};
    rules.silkOverPad = ini.ReadString(kSection, "silk-over-pad", "yes") != "no";
    std::string error;
    check::ParseRules("copper-layers = " + ini.ReadString(kSection, "copper-layers", ""), rules, error);
    ShowRules(rules);
    const int preset = preset_->findData(QString::fromStdString(ini.ReadString(kSection, "preset", "")));
    preset_->setCurrentIndex(std::max(preset, 0));
}

void TCheckForm::SaveRules(const check::TDesignRules& rules) {
    std::string error;
    // Rules that cannot be kept are not worth interrupting the check for.
    settings::UpdateSettingsFile(
        settingsPath_,
        [&](settings::TIniFile& ini) {
            for (const check::TRuleField& field : check::RuleFields())
                ini.WriteFloat(kSection, field.name, rules.*field.value);
            ini.WriteString(kSection, "silk-over-pad", rules.silkOverPad ? "yes" : "no");
            ini.WriteString(kSection, "copper-layers", copper_->text().toStdString());
            ini.WriteString(kSection, "preset", preset_->currentData().toString().toStdString());
        },
        error);
}

bool TCheckForm::Run() {
    if (!context_ || Running()) return false;
    check::TDesignRules rules;
    std::string error;
    if (!ReadFields(rules, error)) {
        summary_->setText(QString::fromStdString(error));
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(error));
        return false;
    }
    // Said before the run, while the user still looks at the field.
    for (const std::string& name : rules.extraCopper)
        if (!context_->Document().GetLayerList().Find(name)) {
            const QString problem =
                tr("この基板にはレイヤー \"%1\" がありません").arg(QString::fromStdString(name));
            summary_->setText(problem);
            copper_->setFocus();
            QMessageBox::warning(this, windowTitle(), problem);
            return false;
        }
    SaveRules(rules);
    // The check reads its own copy, so the board can be edited meanwhile.
    std::string bytes;
    {
        TVemo_oarchive out(bytes);
        SaveDocument(out, context_->Document());
    }
    stamp_ = StampOf(*context_);
    report_ = {};
    stale_ = false;
    table_->setRowCount(0);
    form_.ShowCheckMarks({}, -1, stamp_);
    summary_->setText(tr("チェックしています..."));
    cancelled_ = false;
    done_ = false;
    {
        std::lock_guard lock(mutex_);
        progressDone_ = 0.0;
        progressStep_.clear();
    }
    worker_ = std::thread([this, bytes = std::move(bytes), rules] {
        check::TCheckReport report;
        TVemo_iarchive in(bytes);
        std::unique_ptr<TVemoDocument> copy = LoadDocument(in);
        if (!copy) {
            report.error = "the board could not be copied for the check";
        } else {
            check::TCheckControl control;
            control.progress = [this](double done, const std::string& step) {
                std::lock_guard lock(mutex_);
                progressDone_ = done;
                progressStep_ = step;
            };
            control.cancelled = [this] { return cancelled_.load(); };
            report = check::CheckDesign(*copy, rules, control);
            // They point into the copy, which goes now; the paths stay.
            for (check::TViolation& v : report.violations)
                for (check::TObjectRef& r : v.objects) r.object = nullptr;
            for (check::TSkipped& s : report.skipped) s.object.object = nullptr;
        }
        std::lock_guard lock(mutex_);
        result_ = std::move(report);
        done_ = true;
    });
    SetRunning(true);
    poll_.start();
    return true;
}

void TCheckForm::Cancel() {
    if (Running()) cancelled_ = true;
}

void TCheckForm::SetRunning(bool running) {
    run_->setEnabled(!running);
    cancel_->setEnabled(running);
    progress_->setVisible(running);
    step_->setVisible(running);
    if (!running) progress_->setValue(0);
}

void TCheckForm::Poll() {
    {
        std::lock_guard lock(mutex_);
        progress_->setValue(int(std::lround(std::clamp(progressDone_, 0.0, 1.0) * 100)));
        step_->setText(QString::fromStdString(progressStep_));
    }
    if (!done_) return;
    // Out of the timer's call: Finished may open a message box, whose loop
    // should not run inside a timer's dispatch.
    poll_.stop();
    QMetaObject::invokeMethod(this, &TCheckForm::Finished, Qt::QueuedConnection);
}

void TCheckForm::Finished() {
    if (!worker_.joinable()) return;
    worker_.join();
    {
        std::lock_guard lock(mutex_);
        report_ = std::move(result_);
        result_ = {};
    }
    SetRunning(false);
    if (report_.cancelled) {
        summary_->setText(tr("チェックを中止しました。"));
        report_.violations.clear();
        return;
    }
    if (!report_.completed) {
        const QString error =
            QString::fromStdString(report_.error.empty() ? "the check did not finish" : report_.error);
        summary_->setText(error);
        QMessageBox::warning(this, windowTitle(), error);
        return;
    }
    stale_ = !context_ || StampOf(*context_) != stamp_;
    FillTable();
    if (!stale_) {
        std::vector<std::pair<PointF, PointF>> marks;
        for (const check::TViolation& v : report_.violations) marks.emplace_back(v.a, v.b);
        form_.ShowCheckMarks(marks, -1, stamp_);
    }
}

void TCheckForm::FillTable() {
    table_->setRowCount(int(report_.violations.size()));
    for (std::size_t i = 0; i < report_.violations.size(); ++i) {
        const check::TViolation& v = report_.violations[i];
        const QString cells[] = {
            RuleCaption(v.rule), QString::fromStdString(v.layer), Mm(v.x), Mm(v.y), Mm(v.measured),
            Mm(v.required),      QString::fromStdString(v.note)};
        for (int c = 0; c < 7; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= 2 && c <= 5) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == 6) item->setToolTip(cells[c]);
            table_->setItem(int(i), c, item);
        }
    }
    table_->resizeColumnsToContents();

    QStringList lines;
    QStringList layers;
    for (const std::string& name : report_.copperLayers) layers << QString::fromStdString(name);
    lines << tr("銅箔レイヤー: %1。銅箔のオブジェクト %2、導体 %3、穴 %4。")
                 .arg(layers.isEmpty() ? tr("なし") : layers.join(QStringLiteral(", ")))
                 .arg(report_.objects)
                 .arg(report_.islands)
                 .arg(report_.holes);
    if (report_.violations.empty()) {
        lines << tr("違反はありません。");
    } else {
        std::map<std::string, int> perRule;
        for (const check::TViolation& v : report_.violations) ++perRule[v.rule];
        QStringList parts;
        for (const auto& [rule, n] : perRule) parts << QStringLiteral("%1 %2").arg(RuleCaption(rule)).arg(n);
        lines << tr("違反 %1 件 (%2)。").arg(report_.violations.size()).arg(parts.join(QStringLiteral(", ")));
    }
    for (const std::string& idle : report_.idle)
        lines << tr("チェックするものがありません: %1").arg(QString::fromStdString(idle));
    for (const check::TSkipped& s : report_.skipped)
        lines << tr("チェックできませんでした: %1 %2 (%3): %4")
                     .arg(QString::fromStdString(s.object.kind), QString::fromStdString(s.object.path),
                          QString::fromStdString(s.layer), QString::fromStdString(s.why));
    if (stale_) lines << tr("チェックの間に基板が変更されました。もう一度実行してください。");
    summary_->setText(lines.join('\n'));
}

void TCheckForm::BoardChanged() {
    if (stale_) return;
    stale_ = true;
    if (!report_.violations.empty())
        summary_->setText(summary_->text() + '\n' +
                          tr("チェックの後で基板が変更されました。もう一度実行してください。"));
}

void TCheckForm::ShowViolation(int i) {
    if (!context_ || i < 0 || std::size_t(i) >= report_.violations.size()) return;
    const check::TViolation& v = report_.violations[std::size_t(i)];
    if (!stale_ && StampOf(*context_) != stamp_) {
        form_.ShowCheckMarks({}, -1, stamp_);
        BoardChanged();
    }
    TVemoDocument& doc = context_->Document();
    // The gap and some of its surroundings fill the view: at least 6 mm, or
    // four times the gap, across the smaller side of the window.
    const double cx = (double(v.a.x) + v.b.x) / 2, cy = (double(v.a.y) + v.b.y) / 2;
    const double span = std::max(60.0, 4.0 * std::hypot(double(v.a.x) - v.b.x, double(v.a.y) - v.b.y));
    const int side = std::min(doc.GetWindowWidth(), doc.GetWindowHeight());
    if (side > 0) doc.SetZoom(side / span);
    doc.SetPan(-cx, -cy);
    DrawStyle().SetZoom(float(doc.GetZoom()));

    if (!stale_) {
        // As a pick with the select tool would leave it.
        if (!dynamic_cast<TVemoSelectStateIF*>(context_->CurrentState())) {
            if (TVemoToolButton* select = context_->MenuControl().Find("select"))
                context_->MenuControl().UserClick(*select);
            context_->Ui().ToolPanelChanged();
        }
        TVemoPart& root = context_->RootObject();
        root.Deselect();
        for (const check::TObjectRef& r : v.objects)
            if (TVemoObject* object = TopObject(root, r.path)) object->Select();
        TVemoToolSession::TSelect& select = context_->Session().select;
        select.selection.Clear();
        select.candidates.clear();
        root.Accept(select.selection);
        context_->StylePanel().ShowStyles(context_->Session().Selection());
        std::vector<std::pair<PointF, PointF>> marks;
        for (const check::TViolation& w : report_.violations) marks.emplace_back(w.a, w.b);
        form_.ShowCheckMarks(marks, i, stamp_);
    }
    context_->Invalidate();
}

void TCheckForm::closeEvent(QCloseEvent* event) {
    // A check nobody waits for any more is stopped.
    Cancel();
    QDialog::closeEvent(event);
}

}  // namespace app
