#include "states/Vemopointstate.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "model/Vemoobjectvisitor.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "states/Vemocoppersnap.h"
#include "states/Vemoeditstep.h"
#include "states/Vemoeventcontext.h"
#include "states/Vemogridsnap.h"
#include "states/Vemostatebank.h"

namespace {

// Hit tolerance of anchors, handles and outlines, in pixels.
constexpr float kTolerance = 3.0f;

constexpr int kOutline = 1, kAnchor = 2, kHandle = 4;

bool IsArrow(int key) {
    return key >= vk::Left && key <= vk::Down;
}

}  // namespace

// ---- what the seven states share

TVemoPointStateIF::TVemoPointStateIF(TVemoEventContext& context)
    : TVemoEventState(context),
      edits_(context.Session().point.edits),
      moved_(context.Session().point.moved),
      keyMoved_(context.Session().point.keyMoved) {}

TVemoEventState* TVemoPointStateIF::Leave() {
    context_->RootObject().Deselect();
    context_->InvalidateOverlay();
    context_->StylePanel().ClearStyles();
    context_->HideRubberBand();
    edits_.clear();
    moved_ = false;
    keyMoved_ = false;
    return nullptr;
}

void TVemoPointStateIF::DropGone() {
    if (edits_.empty()) return;
    std::unordered_set<const TVemoObject*> alive;
    ForEachObject(context_->RootObject(), false, [&](const TVemoObject& o) { alive.insert(&o); });
    std::erase_if(edits_, [&](const TVemoObject* o) { return !alive.count(o); });
}

// ---- the tool

TVemoEventState* TVemoPointState::MouseDown(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    DropGone();
    TVemoPart& root = context_->RootObject();
    anchor_ = gridsnap::Snapped(&Document(), point);
    context_->SetOrigin(point);
    TVemoEventState* next = this;
    bool answered = false;
    for (std::size_t i = 0; i < edits_.size() && !answered; ++i) {
        TVemoObject* object = edits_[i];
        if (object->IsLocked()) continue;
        const int r = object->HitHandle(point, kTolerance);
        if (r & kHandle) {
            // A handle of a selected anchor: only that handle is dragged.
            for (TVemoObject* other : edits_)
                if (other != object) other->DeselectAnchors();
            object->PickHandle(point, kTolerance);
            next = StateBank().Get<TVemoPointHandleState>(this);
            answered = true;
        } else if (object->HitSelectedAnchor(point, kTolerance) == kAnchor) {
            // A selected anchor: the drag moves every selected anchor.
            answered = true;
        } else if (r & kAnchor) {
            if (!(shift & ssShift))
                for (TVemoObject* other : edits_) other->DeselectAnchors();
            object->PickHandle(point, kTolerance);
            answered = true;
        }
    }
    taken_ = nullptr;
    if (!answered) {
        TVisiblePointsVisitor under(point, kTolerance);
        root.AcceptDeep(under);
        if (shift & ssShift) {
            for (int i = 0; i < under.Count(); ++i) {
                TVemoObject* object = under.At(i);
                if (object->IsSelected() || object->IsLocked()) continue;
                edits_.push_back(object);
                object->Select();
                if (under.Results()[std::size_t(i)] & kAnchor) object->PickHandle(point, kTolerance);
            }
        } else {
            root.Deselect();
            edits_.clear();
            for (int i = 0; i < under.Count(); ++i) {
                TVemoObject* object = under.At(i);
                if (object->IsLocked()) continue;
                object->Select();
                object->PickHandle(point, kTolerance);
                edits_.push_back(object);
            }
        }
        if (edits_.empty()) {
            anchor_ = point;
            next = StateBank().Get<TVemoPointNullState>(this);
        }
    }
    if (next == this) TakeNode(point);
    context_->InvalidateOverlay();
    return next;
}

void TVemoPointState::TakeNode(PointF point) {
    pressAt_ = anchor_;
    const RectF reach = ToleranceBox(point, kTolerance);
    double best = -1.0;
    for (TVemoObject* object : edits_) {
        auto* path = dynamic_cast<TVemoPath*>(object);
        if (!path || path->IsLocked()) continue;
        const auto& points = path->GetPoints();
        const auto n = std::ptrdiff_t(points.size());
        for (std::ptrdiff_t k = 0; k + 2 < n; k += 3) {
            if (!(path->GetTypes()[k] & TVemoPath::TypeSelected) || !reach.Contains(points[k])) continue;
            const double d = std::hypot(double(points[k].x) - point.x, double(points[k].y) - point.y);
            if (best >= 0.0 && d >= best) continue;
            best = d;
            taken_ = path;
            takenIndex_ = k;
            takenFrom_ = points[k];
        }
    }
}

void TVemoPointState::MoveTakenNode(PointF to) {
    // Moved by the difference, the node may miss the target by a rounding of
    // float; a second step of what is left lands it exactly.
    for (int i = 0; i < 2; ++i) {
        const PointF at = taken_->GetPoints()[takenIndex_];
        if (at.x == to.x && at.y == to.y) return;
        for (TVemoObject* object : edits_) object->MoveSelection(to.x - at.x, to.y - at.y);
        moved_ = true;
    }
}

TVemoEventState* TVemoPointState::MouseMove(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) {
        context_->ShowPosition(gridsnap::Snapped(&Document(), point));
        return this;
    }
    if (edits_.empty()) return this;
    if (taken_ && std::find(edits_.begin(), edits_.end(), taken_) == edits_.end()) taken_ = nullptr;
    if (taken_) {
        std::optional<PointF> copper;
        if (!(shift & ssAlt)) copper = coppersnap::Target(Document(), point, edits_);
        context_->Ui().ShowSnapMarker(copper ? std::optional<PointF>(Document().GetViewMatrix().Map(*copper))
                                             : std::nullopt);
        PointF d(point.x - pressAt_.x, point.y - pressAt_.y);
        if (!gridsnap::WholePitches(&Document(), d)) d = PointF(0, 0);
        MoveTakenNode(copper ? *copper : PointF(takenFrom_.x + d.x, takenFrom_.y + d.y));
        anchor_ = copper ? *copper : PointF(pressAt_.x + d.x, pressAt_.y + d.y);
        context_->ShowPosition(anchor_);
        context_->InvalidateOverlay();
        return this;
    }
    PointF d(point.x - anchor_.x, point.y - anchor_.y);
    if (!gridsnap::WholePitches(&Document(), d)) return this;
    point = PointF(anchor_.x + d.x, anchor_.y + d.y);
    for (TVemoObject* object : edits_) object->MoveSelection(d.x, d.y);
    moved_ = true;
    context_->ShowPosition(point);
    anchor_ = point;
    context_->InvalidateOverlay();
    return this;
}

TVemoEventState* TVemoPointState::MouseUp(TShiftState, PointF) {
    context_->Ui().ShowSnapMarker(std::nullopt);
    taken_ = nullptr;
    context_->StylePanel().ShowStyles(edits_);
    if (moved_) {
        TEditStep(*context_, TStepKind::Root).Commit();
        moved_ = false;
    }
    context_->Invalidate();
    return this;
}

TVemoEventState* TVemoPointState::KeyCombination() {
    using K = TVemoKeyState;
    if (keys_.Is(K::ksCtrl | K::ksShift)) return StateBank().Get<TVemoHandleRemakeState>(this);
    if (keys_.Is(K::ksX | K::ksZ)) return StateBank().Get<TVemoAddPointState>(this);
    return this;
}

TVemoEventState* TVemoPointState::KeyDown(int key) {
    TVemoEventState* next = ToolKey(key, true);
    if (next != this) return next;
    next = KeyCombination();
    if (next != this) return next;
    if (IsArrow(key) && context_->Ui().IsEditorActive()) {
        DropGone();
        if (edits_.empty()) return this;
        const float pitch = float(Document().GetGrid());
        const float dx = key == vk::Left ? -pitch : key == vk::Right ? pitch : 0.0f;
        const float dy = key == vk::Up ? -pitch : key == vk::Down ? pitch : 0.0f;
        for (TVemoObject* object : edits_) object->MoveSelection(dx, dy);
        keyMoved_ = true;
        context_->Invalidate();
    }
    return this;
}

TVemoEventState* TVemoPointState::KeyUp(int key) {
    TVemoEventState* next = ToolKey(key, false);
    if (next != this) return next;
    next = KeyCombination();
    if (next != this) return next;
    // One undo step for the whole keyboard move, however many repeats it took.
    if (IsArrow(key) && keyMoved_ && context_->Ui().IsEditorActive()) {
        TEditStep(*context_, TStepKind::Root).Commit();
        keyMoved_ = false;
    }
    return this;
}

TVemoEventState* TVemoPointState::Command(TEditCommand code) {
    switch (code) {
        case ecUndo:
        case ecRedo:
            context_->StylePanel().ClearStyles();
            edits_.clear();
            taken_ = nullptr;
            moved_ = keyMoved_ = false;
            StepHistory(code == ecRedo);
            context_->RootObject().Deselect();
            return this;
        case ecAddPoint:
            return StateBank().Get<TVemoAddPointToolState>(this);
        default:
            return TVemoEventState::Command(code);
    }
}

// ---- press on empty space

TVemoEventState* TVemoPointNullState::MouseMove(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    if (PastDragThreshold(anchor_, point, Document().GetZoom())) {
        TVemoEventState* band = StateBank().Get<TVemoPointRectState>(ReturnState());
        return band->MouseMove(shift, point);
    }
    return this;
}

TVemoEventState* TVemoPointNullState::MouseUp(TShiftState, PointF) {
    context_->StylePanel().ClearStyles();
    context_->InvalidateOverlay();
    return ReturnState() ? ReturnState() : this;
}

// ---- rubber band

TVemoEventState* TVemoPointRectState::MouseDown(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    anchor_ = point;
    TVemoEventState* next = this;
    TVemoPart& root = context_->RootObject();
    if (root.HitHandle(point, kTolerance) == 0) {
        context_->HideRubberBand();
        root.Select();
        if (ReturnState()) next = ReturnState();
    }
    context_->InvalidateOverlay();
    return next;
}

TVemoEventState* TVemoPointRectState::MouseMove(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    context_->ShowPosition(point);
    context_->ShowRubberBand(anchor_, point);
    return this;
}

TVemoEventState* TVemoPointRectState::MouseUp(TShiftState, PointF point) {
    context_->HideRubberBand();
    const float left = std::min(anchor_.x, point.x), top = std::min(anchor_.y, point.y);
    const RectF band(left, top, std::max(anchor_.x, point.x) - left, std::max(anchor_.y, point.y) - top);
    TVemoPart& root = context_->RootObject();
    edits_.clear();
    root.Deselect();
    root.SelectInRect(band, nullptr);
    TSelObjectVisitor selected;
    root.AcceptDeep(selected);
    for (TVemoObject* object : selected.Objects()) {
        if (!object->IsLocked()) object->SelectAnchorsInRect(band);
        edits_.push_back(object);
    }
    context_->StylePanel().ShowStyles(edits_);
    context_->InvalidateOverlay();
    return ReturnState() ? ReturnState() : this;
}

// ---- dragging one handle

TVemoEventState* TVemoPointHandleState::MouseMove(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    PointF d(point.x - anchor_.x, point.y - anchor_.y);
    if (!gridsnap::WholePitches(&Document(), d)) return this;
    point = PointF(anchor_.x + d.x, anchor_.y + d.y);
    moved_ = true;
    for (TVemoObject* object : edits_) object->MoveActiveHandle(d.x, d.y);
    context_->ShowPosition(point);
    anchor_ = point;
    context_->InvalidateOverlay();
    return this;
}

TVemoEventState* TVemoPointHandleState::MouseUp(TShiftState, PointF) {
    if (moved_) {
        TEditStep(*context_, TStepKind::Root).Commit();
        moved_ = false;
    }
    context_->Invalidate();
    return ReturnState() ? ReturnState() : this;
}

// ---- Ctrl+Shift: re-making handles

TVemoEventState* TVemoHandleRemakeState::MouseDown(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    DropGone();
    anchor_ = gridsnap::Snapped(&Document(), point);
    active_ = -1;
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        TVemoObject* object = edits_[i];
        const int r = object->HitHandle(point, kTolerance);
        if (r & kAnchor) {
            object->ToggleNodeKind(point);
            object->PickHandle(point, kTolerance);
            active_ = int(i);
            moved_ = true;
            break;
        }
        if (r & kHandle) {
            object->ToggleNodeKind(point);
            moved_ = true;
            break;
        }
    }
    context_->InvalidateOverlay();
    return this;
}

TVemoEventState* TVemoHandleRemakeState::MouseMove(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    PointF d(point.x - anchor_.x, point.y - anchor_.y);
    if (!gridsnap::WholePitches(&Document(), d)) return this;
    // The anchor stays where the press was, so the handle follows the pointer from there.
    const PointF target(anchor_.x + d.x, anchor_.y + d.y);
    if (active_ >= 0 && std::size_t(active_) < edits_.size())
        edits_[std::size_t(active_)]->PullHandles(target);
    context_->ShowPosition(target);
    context_->InvalidateOverlay();
    return this;
}

TVemoEventState* TVemoHandleRemakeState::MouseUp(TShiftState, PointF) {
    if (moved_) {
        TEditStep(*context_, TStepKind::Root).Commit();
        moved_ = false;
    }
    active_ = -1;
    context_->Invalidate();
    return this;
}

TVemoEventState* TVemoHandleRemakeState::KeyDown(int key) {
    return ReturnState() ? ReturnState()->KeyDown(key) : ToolKey(key, true);
}

TVemoEventState* TVemoHandleRemakeState::KeyUp(int key) {
    return ReturnState() ? ReturnState()->KeyUp(key) : ToolKey(key, false);
}

// ---- X+Z and the add-point mode: inserting and deleting nodes

TVemoEventState* TVemoAddPointState::MouseDown(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    DropGone();
    anchor_ = point;
    for (TVemoObject* object : edits_) {
        const int r = object->HitHandle(point, kTolerance);
        if (!(r & (kAnchor | kOutline))) continue;
        // A refused deletion (a path keeps two nodes) changes nothing and records no step.
        TEditStep step(*context_, TStepKind::Root);
        if (r & kAnchor) {
            object->DeleteNodeAt(anchor_, kTolerance);
        } else if (gridsnap::On(&Document())) {
            anchor_ = gridsnap::Snapped(&Document(), point);
            object->InsertNodeAt(anchor_);
        } else if (auto* path = dynamic_cast<TVemoPath*>(object)) {
            // Off the grid the new node lies on the curve, which keeps its shape.
            path->SplitAt(point);
        } else {
            object->InsertNodeAt(point);
        }
        break;
    }
    context_->InvalidateOverlay();
    return this;
}

TVemoEventState* TVemoAddPointState::MouseMove(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) context_->ShowPosition(gridsnap::Snapped(&Document(), point));
    return this;
}

TVemoEventState* TVemoAddPointState::MouseUp(TShiftState, PointF) {
    context_->Invalidate();
    return this;
}

TVemoEventState* TVemoAddPointState::KeyDown(int key) {
    return ReturnState() ? ReturnState()->KeyDown(key) : ToolKey(key, true);
}

TVemoEventState* TVemoAddPointState::KeyUp(int key) {
    return ReturnState() ? ReturnState()->KeyUp(key) : ToolKey(key, false);
}

TVemoEventState* TVemoAddPointToolState::KeyDown(int key) {
    TVemoEventState* next = ToolKey(key, true);
    if (next != this) return next;
    if (key == vk::Escape) return Command(ecFinish);
    return this;
}

TVemoEventState* TVemoAddPointToolState::KeyUp(int key) {
    return ToolKey(key, false);
}

TVemoEventState* TVemoAddPointToolState::Command(TEditCommand code) {
    if (code != ecFinish) return TVemoEventState::Command(code);
    TVemoEventState* back = ReturnState() ? ReturnState() : this;
    context_->ReleaseTool("add_point");
    return back;
}
