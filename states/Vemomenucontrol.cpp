#include "states/Vemomenucontrol.h"

#include <functional>

#include <QtGlobal>

#include "states/Vemoeventcontext.h"
#include "states/Vemostatebank.h"

namespace {

// A main tool: goes down, makes its state current with no return state and
// shows its sub-tools.
class TMainToolButton : public TVemoToolButton {
public:
    TMainToolButton(std::string command, std::string picture, std::string tooltip,
                    std::function<TVemoEventState*(TVemoStateBank&)> state, TToolSet set)
        : TVemoToolButton(std::move(command), std::move(picture), std::move(tooltip), 1),
          state_(std::move(state)),
          set_(set) {}

    void Click() override {
        if (menuControl_) menuControl_->SetMainDown(*this);
        if (TVemoEventContext* context = Context()) context->ChangeState(state_(context->StateBank()));
        if (menuControl_) menuControl_->BuildSubTools(set_);
    }

private:
    std::function<TVemoEventState*(TVemoStateBank&)> state_;
    TToolSet set_;
};

// A sub-tool: sends one command; a toggle sends its command when it went
// down and ecFinish when it went up.
class TCommandToolButton : public TVemoToolButton {
public:
    TCommandToolButton(std::string command, std::string picture, std::string tooltip, int group,
                       TEditCommand code)
        : TVemoToolButton(std::move(command), std::move(picture), std::move(tooltip), group), code_(code) {}

    void Click() override {
        if (TVemoEventContext* context = Context())
            context->SendCommand(IsToggle() && !IsDown() ? ecFinish : code_);
    }

private:
    TEditCommand code_;
};

template <class State>
std::function<TVemoEventState*(TVemoStateBank&)> Make() {
    return [](TVemoStateBank& bank) { return bank.Get<State>(nullptr); };
}

std::unique_ptr<TVemoToolButton> SubTool(const std::string& name) {
    struct Row {
        const char* command;
        const char* picture;
        const char* tooltip;
        int group;
        TEditCommand code;
    };
    static const Row rows[] = {
        {"group", "Group", QT_TRANSLATE_NOOP("TMenuControl", "グループ化"), 0, ecGroup},
        {"ungroup", "UnGroup", QT_TRANSLATE_NOOP("TMenuControl", "グループ解除"), 0, ecUnGroup},
        {"rotate", "Rotate", QT_TRANSLATE_NOOP("TMenuControl", "90度回転"), 0, ecRotate},
        {"mirror", "Mirror", QT_TRANSLATE_NOOP("TMenuControl", "反転"), 0, ecMirror},
        {"numeric", "Num", QT_TRANSLATE_NOOP("TMenuControl", "数値入力"), 2, ecNumeric},
        {"ok", "OK", "OK", 0, ecFinish},
        {"scaleup", "Zin", QT_TRANSLATE_NOOP("TMenuControl", "拡大"), 0, ecScaleUp},
        {"scaledown", "Zout", QT_TRANSLATE_NOOP("TMenuControl", "縮小"), 0, ecScaleDown},
        {"add_point", "AddPoint", QT_TRANSLATE_NOOP("TMenuControl", "コントロールポイントの追加と削除"), 3,
         ecAddPoint},
    };
    for (const Row& row : rows)
        if (name == row.command)
            return std::make_unique<TCommandToolButton>(row.command, row.picture, row.tooltip, row.group,
                                                        row.code);
    return nullptr;
}

}  // namespace

TMenuControl::TMenuControl() {
    const auto add = [this](const char* command, const char* picture, const char* tooltip,
                            std::function<TVemoEventState*(TVemoStateBank&)> state, TToolSet set) {
        main_.push_back(std::make_unique<TMainToolButton>(command, picture, tooltip, std::move(state), set));
        main_.back()->SetMenuControl(this);
    };
    add("select", "Arrow00", QT_TRANSLATE_NOOP("TMenuControl", "オブジェクトを選択します"),
        Make<TVemoSelectState>(), TToolSet::Select);
    add("point", "Arrow01", QT_TRANSLATE_NOOP("TMenuControl", "ポイントを選択します"),
        Make<TVemoPointState>(), TToolSet::Point);
    add("parts", "Arrow02", QT_TRANSLATE_NOOP("TMenuControl", "部品を選択します"), Make<TVemoPartsState>(),
        TToolSet::Plain);
    add("path", "Line", QT_TRANSLATE_NOOP("TMenuControl", "ベジェ曲線を生成します"), Make<TVemoPathState>(),
        TToolSet::Drawing);
    add("poly", "Poly", QT_TRANSLATE_NOOP("TMenuControl", "ポリラインを生成します"), Make<TVemoPolyState>(),
        TToolSet::Drawing);
    add("ellipse", "Ellipse", QT_TRANSLATE_NOOP("TMenuControl", "楕円を生成します"),
        Make<TVemoEllipseState>(), TToolSet::Plain);
    add("rect", "Rect", QT_TRANSLATE_NOOP("TMenuControl", "長方形を生成します"), Make<TVemoRectState>(),
        TToolSet::Plain);
    add("text", "Text", QT_TRANSLATE_NOOP("TMenuControl", "文字列を生成します"), Make<TVemoStringState>(),
        TToolSet::Plain);
    add("pad", "Pad", QT_TRANSLATE_NOOP("TMenuControl", "パッド"), Make<TVemoPadState>(), TToolSet::Plain);
    add("lib", "Lib", QT_TRANSLATE_NOOP("TMenuControl", "ライブラリ"), Make<TVemoLibState>(),
        TToolSet::Plain);
}

TMenuControl::~TMenuControl() = default;

TVemoEventContext* TVemoToolButton::Context() const {
    return menuControl_ ? menuControl_->Context() : nullptr;
}

void TMenuControl::SetContext(TVemoEventContext* context) {
    context_ = context;
    main_.front()->Click();
}

TVemoToolButton* TMenuControl::Find(const std::string& name) const {
    for (const auto& b : main_)
        if (b->CommandName() == name) return b.get();
    for (const auto& b : sub_)
        if (b->CommandName() == name) return b.get();
    return nullptr;
}

void TMenuControl::PressTool(const std::string& name) {
    if (TVemoToolButton* b = Find(name)) b->Click();
}

void TMenuControl::ReleaseTool(const std::string& name) {
    TVemoToolButton* b = Find(name);
    if (!b || !b->IsDown()) return;
    b->SetDown(false);
    Changed();
}

void TMenuControl::UserClick(TVemoToolButton& button) {
    if (button.IsToggle()) {
        button.SetDown(!button.IsDown());
        Changed();
    }
    button.Click();
}

void TMenuControl::SetMainDown(TVemoToolButton& button) {
    for (const auto& b : main_) b->SetDown(b.get() == &button);
    Changed();
}

void TMenuControl::BuildSubTools(TToolSet set) {
    static const std::vector<std::string> selectSet = {"group",   "ungroup", "rotate",  "mirror",
                                                       "numeric", "ok",      "scaleup", "scaledown"};
    static const std::vector<std::string> pointSet = {"add_point", "ok", "scaleup", "scaledown"};
    static const std::vector<std::string> drawingSet = {"ok", "scaleup", "scaledown"};
    static const std::vector<std::string> plainSet = {"scaleup", "scaledown"};
    static const std::vector<std::string> none;
    const std::vector<std::string>& names = set == TToolSet::Select    ? selectSet
                                            : set == TToolSet::Point   ? pointSet
                                            : set == TToolSet::Drawing ? drawingSet
                                            : set == TToolSet::Plain   ? plainSet
                                                                       : none;
    sub_.clear();
    for (const std::string& name : names) {
        sub_.push_back(SubTool(name));
        sub_.back()->SetMenuControl(this);
    }
    subSet_ = set;
    ++subGeneration_;
    Changed();
}

void TMenuControl::Changed() {
    if (context_) context_->Ui().ToolPanelChanged();
}
