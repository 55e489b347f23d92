#include "states/Vemoselectstate.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "archive/Vemoobjectio.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "states/Vemoeditstep.h"
#include "states/Vemoeventcontext.h"
#include "states/Vemostatebank.h"

namespace {

constexpr int kOne = 49;  // '1'
// Ctrl+1 places copies of a path this far to either side (2 mm).
constexpr double kOffsetCopyDistance = 20.0;

bool IsArrow(int key) {
    return key >= vk::Left && key <= vk::Down;
}

}  // namespace

std::string WriteClipboardObjects(const std::vector<TVemoObject*>& objects) {
    std::string bytes;
    TVemo_oarchive out(bytes);
    for (const TVemoObject* object : objects) WriteObject(out, *object);
    return bytes;
}

// ---- what the four states share

TVemoSelectStateIF::TVemoSelectStateIF(TVemoEventContext& context)
    : TVemoEventState(context),
      selection_(context.Session().select.selection),
      candidates_(context.Session().select.candidates),
      moved_(context.Session().select.moved),
      keyMoved_(context.Session().select.keyMoved) {}

TVemoEventState* TVemoSelectStateIF::Leave() {
    context_->RootObject().Deselect();
    context_->InvalidateOverlay();
    context_->StylePanel().ClearStyles();
    context_->HideRubberBand();
    ClearSelection();
    moved_ = false;
    keyMoved_ = false;
    return nullptr;
}

void TVemoSelectStateIF::RefillSelection() {
    selection_.Clear();
    context_->RootObject().Accept(selection_);
}

void TVemoSelectStateIF::ClearSelection() {
    selection_.Clear();
    candidates_.clear();
}

bool TVemoSelectStateIF::SnapOn() const {
    return Document().TestViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
}

PointF TVemoSelectStateIF::Snapped(PointF p) const {
    if (SnapOn()) Document().Snap(p);
    return p;
}

// ---- the tool

TVemoEventState* TVemoSelectState::MouseDown(TShiftState shift, PointF point) {
    TVemoEventState* next = this;
    if (shift & ssLeft)
        next = LeftPick(shift, point);
    else if (shift & ssRight)
        next = RightPick(point);
    else
        return this;
    context_->InvalidateOverlay();
    return next;
}

TVemoEventState* TVemoSelectState::LeftPick(TShiftState shift, PointF point) {
    TVemoPart& root = context_->RootObject();
    anchor_ = Snapped(point);
    context_->SetOrigin(point);
    if (!root.HitPoint(point)) {
        root.Deselect();
        anchor_ = point;
        ClearSelection();
        return StateBank().Get<TVemoSelectNullState>(this);
    }
    // A press on a selected object keeps the selection, so the drag moves all of it.
    if (!root.HitSelected(point)) {
        if (!(shift & ssShift)) root.Deselect();
        root.SelectAt(point);
    }
    RefillSelection();
    candidates_ = Selection();
    return this;
}

TVemoEventState* TVemoSelectState::RightPick(PointF point) {
    TVemoPart& root = context_->RootObject();
    anchor_ = Snapped(point);
    context_->SetOrigin(point);
    if (!root.HitPoint(point)) {
        root.Deselect();
        anchor_ = point;
        ClearSelection();
        return StateBank().Get<TVemoSelectNullState>(this);
    }
    if (!root.HitSelected(point)) {
        // Everything under the pointer becomes a candidate; the first is picked.
        root.Deselect();
        root.SelectAt(point);
        RefillSelection();
        candidates_ = Selection();
        for (std::size_t i = 1; i < candidates_.size(); ++i) candidates_[i]->Deselect();
    } else if (!candidates_.empty()) {
        // The same spot again: the next candidate after the last picked one.
        std::size_t last = 0;
        for (std::size_t i = 0; i < candidates_.size(); ++i)
            if (candidates_[i]->IsSelected()) last = i;
        for (TVemoObject* c : candidates_) c->Deselect();
        candidates_[last + 1 < candidates_.size() ? last + 1 : 0]->Select();
    }
    // The commands act on what is seen selected, never on the other candidates.
    RefillSelection();
    return this;
}

TVemoEventState* TVemoSelectState::MouseMove(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) {
        context_->ShowPosition(Snapped(point));
        return this;
    }
    PointF d(point.x - anchor_.x, point.y - anchor_.y);
    if (SnapOn()) {
        // Whole grid steps only, so the objects stay on the grid they were on.
        const double pitch = Document().GetGrid();
        const double sx = std::floor(d.x / pitch + 0.5), sy = std::floor(d.y / pitch + 0.5);
        if (sx == 0.0 && sy == 0.0) return this;
        d = PointF(float(sx * pitch), float(sy * pitch));
        point = PointF(anchor_.x + d.x, anchor_.y + d.y);
    }
    if (Selection().empty()) return this;
    for (TVemoObject* object : Selection()) object->Translate(d.x, d.y);
    moved_ = true;
    context_->ShowPosition(point);
    anchor_ = point;
    context_->InvalidateOverlay();
    return this;
}

TVemoEventState* TVemoSelectState::MouseUp(TShiftState, PointF point) {
    context_->StylePanel().ShowStyles(Selection());
    anchor_ = Snapped(point);
    if (moved_) {
        TEditStep(*context_, TStepKind::Root).Commit();
        moved_ = false;
    }
    context_->Invalidate();
    return this;
}

TVemoEventState* TVemoSelectState::KeyDown(int key) {
    TVemoEventState* next = ToolKey(key, true);
    if (next != this || !context_->Ui().IsEditorActive()) return next;
    const std::uint32_t flags = keys_.Flags();
    using K = TVemoKeyState;
    if (flags == (K::ksCtrl | K::ksG))
        Group();
    else if (flags == (K::ksCtrl | K::ksShift | K::ksG))
        UnGroup();
    else if (flags == (K::ksCtrl | K::ksR))
        Rotate90();
    else if (flags == (K::ksCtrl | K::ksM))
        Mirror();
    else if (IsArrow(key))
        ArrowMove(key);
    else if (flags == K::ksCtrl && key == kOne)
        OffsetCopies();
    return this;
}

TVemoEventState* TVemoSelectState::KeyUp(int key) {
    TVemoEventState* next = ToolKey(key, false);
    if (next != this) return next;
    // One undo step for the whole keyboard move, however many repeats it took.
    if (IsArrow(key) && keyMoved_ && context_->Ui().IsEditorActive() && !Selection().empty()) {
        TEditStep(*context_, TStepKind::Root).Commit();
        keyMoved_ = false;
    }
    return this;
}

TVemoEventState* TVemoSelectState::Command(TEditCommand code) {
    switch (code) {
        case ecUndo:
            UndoRedo(false);
            break;
        case ecRedo:
            UndoRedo(true);
            break;
        case ecCut:
            Cut();
            break;
        case ecCopy:
            Copy();
            break;
        case ecPaste:
            Paste();
            break;
        case ecDelete:
            Delete();
            break;
        case ecGroup:
            Group();
            break;
        case ecUnGroup:
            UnGroup();
            break;
        case ecRotate:
            Rotate90();
            break;
        case ecNumeric:
            return StateBank().Get<TVemoSelectNumericState>(this);
        case ecMirror:
            Mirror();
            break;
        case ecReversePoints:
            ReversePoints();
            break;
        default:
            return TVemoEventState::Command(code);
    }
    return this;
}

void TVemoSelectState::UndoRedo(bool redo) {
    context_->StylePanel().ClearStyles();
    // Undo keeps the objects a step did not change, flags and all: none may
    // stay shown as selected while the commands have nothing to act on.
    context_->RootObject().Deselect();
    ClearSelection();
    moved_ = keyMoved_ = false;
    StepHistory(redo);
}

void TVemoSelectState::Copy() {
    if (Selection().empty()) return;
    context_->Ui().SetClipboardObjects(WriteClipboardObjects(Selection()));
}

void TVemoSelectState::Cut() {
    if (Selection().empty()) return;
    TEditStep step(*context_, TStepKind::Root);
    context_->StylePanel().ClearStyles();
    context_->Ui().SetClipboardObjects(WriteClipboardObjects(Selection()));
    const std::vector<TVemoObject*> doomed = Selection();
    ClearSelection();
    for (TVemoObject* object : doomed) object->RemoveFromParent();
    context_->Invalidate();
}

void TVemoSelectState::Delete() {
    if (Selection().empty()) return;
    TEditStep step(*context_, TStepKind::Root);
    context_->StylePanel().ClearStyles();
    const std::vector<TVemoObject*> doomed = Selection();
    ClearSelection();
    for (TVemoObject* object : doomed) object->RemoveFromParent();
    context_->Invalidate();
}

void TVemoSelectState::Paste() {
    const std::optional<std::string> bytes = context_->Ui().ClipboardObjects();
    if (!bytes) return;
    TEditStep step(*context_, TStepKind::Root);
    TVemoLayerList& layers = Document().GetLayerList();
    TVemoPart& root = context_->RootObject();
    const int layerCount = layers.Count();
    context_->StylePanel().ClearStyles();
    root.Deselect();
    ClearSelection();
    std::vector<TVemoObject*> pasted;
    {
        TVemo_iarchive in(*bytes, &layers);
        while (!in.AtEnd() && in.IsGood()) {
            std::unique_ptr<TVemoObject> object = ReadObject(in);
            if (!object) break;
            if (!root.CanAdopt(*object)) continue;
            object->Select();
            if (TVemoObject* added = root.AddChild(std::move(object))) pasted.push_back(added);
        }
        in.CommitLayers();
    }
    // Layers made for names the document lacked change the colours objects take.
    for (TVemoObject* object : pasted) object->Rebuild();
    RefillSelection();
    candidates_ = Selection();
    // Nothing readable on the clipboard changed nothing: no undo step, not modified.
    if (pasted.empty() && layers.Count() == layerCount) {
        step.Dismiss();
        context_->InvalidateOverlay();
        return;
    }
    if (layers.Count() == layerCount) {
        step.Commit(TStepKind::Root);
    } else {
        step.Commit(TStepKind::Objects);
        context_->Ui().RefreshLayers();
    }
    context_->Invalidate();
}

void TVemoSelectState::Group() {
    if (Selection().size() < 2) return;
    TEditStep step(*context_, TStepKind::Root);
    TVemoPart& root = context_->RootObject();
    auto* group = static_cast<TVemoGroup*>(root.AddChild(std::make_unique<TVemoGroup>()));
    if (!group) return;
    // A member that would nest too deep would be lost: then nothing is grouped.
    for (TVemoObject* object : Selection())
        if (!group->CanAdopt(*object)) {
            group->RemoveFromParent();
            return;
        }
    context_->StylePanel().ClearStyles();
    const std::vector<TVemoObject*> members = Selection();
    ClearSelection();
    for (TVemoObject* object : members) group->AddChild(root.ReleaseChild(object));
    group->Deselect();
    context_->Invalidate();
}

void TVemoSelectState::UnGroup() {
    TEditStep step(*context_, TStepKind::Root);
    context_->StylePanel().ClearStyles();
    TVemoPart& root = context_->RootObject();
    const std::vector<TVemoObject*> objects = Selection();
    ClearSelection();
    bool dissolved = false;
    for (TVemoObject* object : objects) {
        auto* group = dynamic_cast<TVemoGroup*>(object);
        if (!group) continue;
        while (group->GetChildCount() > 0) {
            std::unique_ptr<TVemoObject> member = group->ReleaseChild(group->GetChild(0));
            member->Deselect();
            root.AddChild(std::move(member));
        }
        group->RemoveFromParent();
        dissolved = true;
    }
    // Nothing to dissolve is no edit, whatever the selection flags say.
    if (!dissolved) step.Dismiss();
    context_->Invalidate();
}

PointF TVemoSelectState::SelectionCentre() const {
    RectF box;
    bool any = false;
    float l = 0, t = 0, r = 0, b = 0;
    for (const TVemoObject* object : Selection()) {
        object->GetBounds(box);
        if (!any) {
            l = box.Left(), t = box.Top(), r = box.Right(), b = box.Bottom();
            any = true;
        } else {
            l = std::min(l, box.Left()), t = std::min(t, box.Top());
            r = std::max(r, box.Right()), b = std::max(b, box.Bottom());
        }
    }
    return Snapped(PointF(l + (r - l) / 2, t + (b - t) / 2));
}

void TVemoSelectState::Rotate90() {
    if (Selection().empty()) return;
    TEditStep step(*context_, TStepKind::Root);
    const PointF c = SelectionCentre();
    for (TVemoObject* object : Selection()) object->Rotate(90.0f, c);
    context_->Invalidate();
}

void TVemoSelectState::Mirror() {
    if (Selection().empty()) return;
    TEditStep step(*context_, TStepKind::Root);
    const PointF c = SelectionCentre();
    Matrix m;
    m.Translate(-c.x, -c.y);
    m.Scale(-1.0f, 1.0f);
    m.Translate(c.x, c.y);
    for (TVemoObject* object : Selection()) {
        object->Transform(m);
        // Mirroring turns the direction of travel; turn it back.
        object->Reverse();
    }
    context_->Invalidate();
}

void TVemoSelectState::ReversePoints() {
    TSelObjectVisitor leaves;
    context_->RootObject().AcceptDeep(leaves);
    if (leaves.Objects().empty()) return;
    TEditStep step(*context_, TStepKind::Root);
    for (TVemoObject* object : leaves.Objects()) {
        object->Reverse();
        object->Rebuild();
    }
    context_->Invalidate();
}

void TVemoSelectState::ArrowMove(int key) {
    if (Selection().empty()) return;
    const float pitch = float(Document().GetGrid());
    const float dx = key == vk::Left ? -pitch : key == vk::Right ? pitch : 0.0f;
    const float dy = key == vk::Up ? -pitch : key == vk::Down ? pitch : 0.0f;
    for (TVemoObject* object : Selection()) object->Translate(dx, dy);
    keyMoved_ = true;
    context_->Invalidate();
}

void TVemoSelectState::OffsetCopies() {
    if (Selection().empty()) return;
    const auto* path = dynamic_cast<const TVemoPath*>(Selection().front());
    if (!path) return;
    TVemoPart& root = context_->RootObject();
    TEditStep step(*context_, TStepKind::Root);
    bool added = false;
    for (double distance : {kOffsetCopyDistance, -kOffsetCopyDistance}) {
        std::unique_ptr<TVemoPath> copy(path->Clone());
        if (!copy->Offset(distance)) continue;
        copy->Rebuild();
        if (root.AddChild(std::move(copy))) added = true;
    }
    // New objects are an edit like any other: undoable, and the document is modified.
    if (added) context_->Invalidate();
}

// ---- press on empty space

TVemoEventState* TVemoSelectNullState::MouseMove(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    if (PastDragThreshold(anchor_, point, Document().GetZoom())) {
        TVemoEventState* band = StateBank().Get<TVemoSelectRectState>(ReturnState());
        return band->MouseMove(shift, point);
    }
    return this;
}

TVemoEventState* TVemoSelectNullState::MouseUp(TShiftState, PointF) {
    context_->StylePanel().ClearStyles();
    context_->InvalidateOverlay();
    return ReturnState() ? ReturnState() : this;
}

// ---- rubber band

TVemoEventState* TVemoSelectRectState::MouseMove(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    context_->ShowPosition(point);
    context_->ShowRubberBand(anchor_, point);
    return this;
}

TVemoEventState* TVemoSelectRectState::MouseUp(TShiftState, PointF point) {
    context_->HideRubberBand();
    const float left = std::min(anchor_.x, point.x), top = std::min(anchor_.y, point.y);
    const RectF band(left, top, std::max(anchor_.x, point.x) - left, std::max(anchor_.y, point.y) - top);
    TVemoPart& root = context_->RootObject();
    root.Deselect();
    root.SelectInRect(band, nullptr);
    RefillSelection();
    candidates_ = Selection();
    context_->StylePanel().ShowStyles(Selection());
    context_->InvalidateOverlay();
    return ReturnState() ? ReturnState() : this;
}

// ---- numeric move-and-rotate

TVemoEventState* TVemoSelectNumericState::MouseDown(TShiftState, PointF point) {
    anchor_ = Snapped(point);
    if (const std::optional<Matrix> m = context_->Ui().AskNumericTransform(anchor_)) {
        if (!Selection().empty()) {
            TEditStep step(*context_, TStepKind::Root);
            for (TVemoObject* object : Selection()) object->Transform(*m);
            context_->Invalidate();
        }
    }
    return Command(ecFinish);
}

TVemoEventState* TVemoSelectNumericState::MouseMove(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) context_->ShowPosition(Snapped(point));
    return this;
}

TVemoEventState* TVemoSelectNumericState::KeyDown(int key) {
    TVemoEventState* next = ToolKey(key, true);
    if (next != this) return next;
    if (key == vk::Escape) return Command(ecFinish);
    return this;
}

TVemoEventState* TVemoSelectNumericState::KeyUp(int key) {
    return ToolKey(key, false);
}

TVemoEventState* TVemoSelectNumericState::Command(TEditCommand code) {
    if (code != ecFinish) return TVemoEventState::Command(code);
    TVemoEventState* back = ReturnState() ? ReturnState() : this;
    context_->ReleaseTool("numeric");
    return back;
}
