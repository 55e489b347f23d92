#include "states/Vemostylepanel.h"

#include <charconv>
#include <cmath>
#include <unordered_set>

#include "geom/Units.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemoobject.h"
#include "model/Vemopart.h"
#include "states/Vemoeditstep.h"
#include "states/Vemoeventcontext.h"

std::string ShortestDecimal(double value) {
    if (!std::isfinite(value)) return "";
    // Seven digits: the lengths come from single-precision coordinates, whose
    // further digits are noise ("1.27", not "1.2699999809265137").
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
    std::string text(buf, res.ptr);
    if (text == "-0") text = "0";
    return text;
}

TVemoStylePanel::TVemoStylePanel(TVemoEventContext& context)
    : context_(context), current_(7.5f, false, false) {}

std::vector<TVemoObject*> TVemoStylePanel::ShownObjects() const {
    std::vector<TVemoObject*> objects;
    for (const TShown& s : shown_) objects.push_back(s.object);
    return objects;
}

void TVemoStylePanel::DropGone() {
    if (shown_.empty()) return;
    // Whoever removes objects should clear the panel first; one that forgot
    // must not leave the panel writing into freed objects.
    std::unordered_set<const TVemoObject*> alive;
    ForEachObject(context_.RootObject(), false, [&](const TVemoObject& o) { alive.insert(&o); });
    std::erase_if(shown_, [&](const TShown& s) { return !alive.count(s.object); });
}

void TVemoStylePanel::TakeOverSingle() {
    DropGone();
    if (shown_.size() == 1) current_.Assign(*shown_.front().style);
    mixed_ = 0;
    shown_.clear();
}

void TVemoStylePanel::ShowStyle(TVemoObject* object) {
    TakeOverSingle();
    if (object)
        if (TVemoSurface* style = object->GetSurface()) shown_.push_back({object, style});
    Changed();
}

void TVemoStylePanel::ShowStyles(const std::vector<TVemoObject*>& objects) {
    TakeOverSingle();
    for (TVemoObject* object : objects) {
        TVemoSurface* style = object ? object->GetSurface() : nullptr;
        if (!style) continue;
        if (!shown_.empty()) mixed_ |= shown_.front().style->CompareTo(*style);
        shown_.push_back({object, style});
    }
    Changed();
}

void TVemoStylePanel::ClearStyles() {
    TakeOverSingle();
    Changed();
}

void TVemoStylePanel::Changed() {
    context_.Ui().ShowSelectionStyle();
}

std::string TVemoStylePanel::WidthText() const {
    if (!shown_.empty() && (mixed_ & TVemoSurface::DiffWidth)) return "";
    const TVemoSurface& f = shown_.empty() ? current_ : *shown_.front().style;
    return ShortestDecimal(units::ToMm(f.GetWidth()));
}

std::optional<bool> TVemoStylePanel::Fill() const {
    if (shown_.empty()) return current_.GetFill();
    if (mixed_ & TVemoSurface::DiffFill) return std::nullopt;
    return shown_.front().style->GetFill();
}

std::optional<bool> TVemoStylePanel::CutOut() const {
    if (shown_.empty()) return current_.GetCutOut();
    if (mixed_ & TVemoSurface::DiffCutOut) return std::nullopt;
    return shown_.front().style->GetCutOut();
}

int TVemoStylePanel::Join() const {
    if (!shown_.empty() && (mixed_ & TVemoSurface::DiffJoin)) return 0;
    const TVemoSurface& f = shown_.empty() ? current_ : *shown_.front().style;
    return f.GetJoin() == 1 ? 1 : 2;
}

int TVemoStylePanel::Dash() const {
    if (!shown_.empty() && (mixed_ & TVemoSurface::DiffDash)) return 0;
    const TVemoSurface& f = shown_.empty() ? current_ : *shown_.front().style;
    return f.GetDash() >= 0 && f.GetDash() <= 4 ? f.GetDash() : -1;
}

template <class Edit>
bool TVemoStylePanel::Apply(Edit edit, bool refresh) {
    DropGone();
    // Through the context: while a path is being drawn, its style change is
    // one of the path's own steps, which finishing the path replaces.
    TEditStep step(context_, TStepKind::Root);
    bool changed = false;
    for (const TShown& s : shown_) {
        const TVemoSurface before = *s.style;
        edit(*s.style);
        if (before.CompareTo(*s.style) != 0 || before.GetCap() != s.style->GetCap()) changed = true;
    }
    if (!changed) {
        step.Dismiss();
    } else {
        context_.RootObject().Rebuild();
        context_.Invalidate();
        step.Commit();
    }
    if (refresh) Changed();
    return changed;
}

bool TVemoStylePanel::SetCutOut(bool on) {
    if (shown_.empty()) {
        current_.SetCutOut(on);
        Changed();
        return false;
    }
    mixed_ &= ~TVemoSurface::DiffCutOut;
    return Apply([on](TVemoSurface& s) { s.SetCutOut(on); });
}

bool TVemoStylePanel::SetFill(bool on) {
    if (shown_.empty()) {
        current_.SetFill(on);
        Changed();
        return false;
    }
    mixed_ &= ~TVemoSurface::DiffFill;
    // Clearing fill may raise a width below 1.0: the widths may now differ.
    const bool result = Apply([on](TVemoSurface& s) { s.SetFill(on); }, false);
    for (const TShown& s : shown_)
        if (s.style->GetWidth() != shown_.front().style->GetWidth()) mixed_ |= TVemoSurface::DiffWidth;
    Changed();
    return result;
}

bool TVemoStylePanel::SetBevel() {
    const auto edit = [](TVemoSurface& s) {
        s.SetJoin(1);
        s.SetCap(1);
    };
    if (shown_.empty()) {
        edit(current_);
        Changed();
        return false;
    }
    mixed_ &= ~TVemoSurface::DiffJoin;
    return Apply(edit);
}

bool TVemoStylePanel::SetRound() {
    const auto edit = [](TVemoSurface& s) {
        s.SetJoin(2);
        s.SetCap(2);
    };
    if (shown_.empty()) {
        edit(current_);
        Changed();
        return false;
    }
    mixed_ &= ~TVemoSurface::DiffJoin;
    return Apply(edit);
}

bool TVemoStylePanel::SetDash(int dash) {
    if (dash < 0 || dash > 4) return false;
    if (shown_.empty()) {
        current_.SetDash(dash);
        Changed();
        return false;
    }
    mixed_ &= ~TVemoSurface::DiffDash;
    return Apply([dash](TVemoSurface& s) { s.SetDash(dash); });
}

bool TVemoStylePanel::TypeWidth(double millimetres) {
    const double w = units::FromMm(millimetres);
    if (!(w >= 0.0 && w < kWidthLimit)) return false;
    if (shown_.empty()) {
        current_.SetWidth(float(w));
        return false;
    }
    mixed_ &= ~TVemoSurface::DiffWidth;
    // The field being typed in is left as the user has it.
    const bool result = Apply(
        [w](TVemoSurface& s) {
            if (w > 0.0 || s.GetFill()) s.SetWidth(float(w));
        },
        false);
    // A 0 that reached only the filled styles leaves the widths different.
    for (const TShown& s : shown_)
        if (s.style->GetWidth() != shown_.front().style->GetWidth()) mixed_ |= TVemoSurface::DiffWidth;
    return result;
}

bool TVemoStylePanel::ChooseWidth(double millimetres) {
    const double w = units::FromMm(millimetres);
    if (!(w >= 0.0 && w < kWidthLimit)) return false;
    if (shown_.empty()) {
        current_.SetWidth(float(w));
        Changed();
        return false;
    }
    mixed_ &= ~TVemoSurface::DiffWidth;
    current_.SetWidth(float(w));
    const bool result = Apply([w](TVemoSurface& s) {
        if (w > 0.0 || s.GetFill()) s.SetWidth(float(w));
    });
    for (const TShown& s : shown_)
        if (s.style->GetWidth() != shown_.front().style->GetWidth()) mixed_ |= TVemoSurface::DiffWidth;
    return result;
}
