#include "states/Vemodrawstate.h"

#include <memory>

#include "model/Vemodocument.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "states/Vemoeventcontext.h"
#include "states/Vemocoppersnap.h"
#include "states/Vemogridsnap.h"

namespace {
// Hit tolerance for closing on the first node, in pixels.
constexpr float kTolerance = 3.0f;
}  // namespace

TVemoDrawState::TVemoDrawState(TVemoEventContext& context)
    : TVemoEventState(context), slot_(std::make_shared<TVemoPathSlot>()) {
    // Undo and redo take the path away or bring it back: the style panel follows.
    slot_->styleChanged = [context_ = context_](TVemoPath* path) {
        if (path)
            context_->StylePanel().ShowStyle(path);
        else
            context_->StylePanel().ClearStyles();
    };
}

TVemoPath* TVemoDrawState::CurrentPath() {
    TVemoPath* path = slot_->path;
    if (!path) return nullptr;
    // The path belongs to the root; if anything took it out of the document
    // (a deleted layer, an undo beyond it) there is nothing to continue.
    if (context_->RootObject().IndexOf(path) < 0) {
        slot_->path = nullptr;
        closed_ = false;
        return nullptr;
    }
    return path;
}

void TVemoDrawState::SavePathStep() {
    if (CurrentPath()) context_->History().SavePathMemento(slot_);
}

void TVemoDrawState::RecordStep(TStepKind kind) {
    if (kind == TStepKind::Root && CurrentPath())
        SavePathStep();
    else
        TVemoEventState::RecordStep(kind);
}

PointF TVemoDrawState::Snap(TShiftState shift, PointF point, bool showMark) {
    std::optional<PointF> copper;
    if (!(shift & ssAlt)) copper = coppersnap::Target(Document(), point, slot_->path);
    if (showMark)
        context_->Ui().ShowSnapMarker(copper ? std::optional<PointF>(Document().GetViewMatrix().Map(*copper))
                                             : std::nullopt);
    return copper ? *copper : gridsnap::Snapped(&Document(), point);
}

TVemoEventState* TVemoDrawState::Leave() {
    context_->Ui().ShowSnapMarker(std::nullopt);
    Finish();
    pressed_ = false;
    return nullptr;
}

void TVemoDrawState::Finish() {
    TVemoPath* path = CurrentPath();
    // Steps of a path undone away must not be redone behind another tool's back.
    if (!path) {
        context_->History().DropTemporary();
        return;
    }
    context_->RootObject().Deselect();
    context_->StylePanel().ClearStyles();
    closed_ = false;
    path->Finish();
    slot_->path = nullptr;
    context_->History().DropTemporary();
    if (path->GetPoints().size() < 6) {
        // One node: nothing to see or pick; the document is as before the first click.
        path->RemoveFromParent();
    } else {
        TVemoEventState::RecordStep(TStepKind::Root);
    }
    context_->Invalidate();
}

TVemoEventState* TVemoDrawState::MouseDown(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    // The release of the previous press went elsewhere (Space was pressed in
    // between): its node still gets its own undo step.
    if (pressed_) SavePathStep();
    pressed_ = true;
    anchor_ = Snap(shift, point, false);
    if (TVemoPath* path = CurrentPath()) {
        if (path->IsNearStart(anchor_, kTolerance)) {
            path->Close();
            closed_ = true;
        } else {
            path->AppendNode(anchor_);
            path->Rebuild();
        }
        path->DeselectAnchors();
        path->PickHandle(anchor_, kTolerance);
    } else {
        closed_ = false;
        auto made = std::make_unique<TVemoPath>();
        made->SetLayer(Document().GetLayerList().Current());
        made->SetSurface(context_->StylePanel().CurrentSurface());
        auto* added = static_cast<TVemoPath*>(context_->RootObject().AddChild(std::move(made)));
        if (!added) return this;
        slot_->path = added;
        added->Reset();
        added->AppendNode(anchor_);
        added->Rebuild();
        added->DeselectAnchors();
        added->PickHandle(anchor_, kTolerance);
        context_->StylePanel().ShowStyle(added);
    }
    context_->SetOrigin(anchor_);
    context_->InvalidateOverlay();
    return this;
}

TVemoEventState* TVemoDrawState::MouseMove(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) {
        context_->ShowPosition(Snap(shift, point, true));
        return this;
    }
    if (!PullsHandles()) {
        context_->ShowPosition(gridsnap::Snapped(&Document(), point));
        return this;
    }
    PointF d(point.x - anchor_.x, point.y - anchor_.y);
    if (!gridsnap::WholePitches(&Document(), d)) return this;
    point = PointF(anchor_.x + d.x, anchor_.y + d.y);
    // The anchor stays on the node, so the handle follows the pointer from it.
    if (TVemoPath* path = CurrentPath(); path && pressed_) path->PullHandles(point);
    context_->ShowPosition(point);
    context_->InvalidateOverlay();
    return this;
}

TVemoEventState* TVemoDrawState::MouseUp(TShiftState, PointF) {
    // A release whose press this state did not see records nothing.
    const bool pressed = pressed_;
    pressed_ = false;
    if (pressed && CurrentPath()) {
        if (closed_)
            Finish();
        else
            SavePathStep();
    }
    context_->Invalidate();
    return this;
}

TVemoEventState* TVemoDrawState::KeyDown(int key) {
    TVemoEventState* next = ToolKey(key, true);
    // Not while a text field of another window has the keyboard.
    if ((key == vk::Return || key == vk::Escape) && context_->Ui().IsEditorActive()) Finish();
    return next;
}

TVemoEventState* TVemoDrawState::KeyUp(int key) {
    return ToolKey(key, false);
}

TVemoEventState* TVemoDrawState::Command(TEditCommand code) {
    switch (code) {
        case ecUndo:
        case ecRedo:
            // Take the slot's path out first when it left the document, so the
            // steps never touch a path that is gone.
            CurrentPath();
            pressed_ = false;
            StepHistory(code == ecRedo);
            if (!CurrentPath()) closed_ = false;
            return this;
        case ecFinish:
            Finish();
            return this;
        default:
            return TVemoEventState::Command(code);
    }
}
