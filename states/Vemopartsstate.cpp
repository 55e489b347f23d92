#include "states/Vemopartsstate.h"

#include <memory>
#include <unordered_set>

#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "states/Vemoeditstep.h"
#include "states/Vemoeventcontext.h"
#include "states/Vemogridsnap.h"

namespace {

void ShowPosition(TVemoEventContext& context, const TVemoDocument& document, PointF point) {
    context.ShowPosition(gridsnap::Snapped(&document, point));
}

// Places a copy of offered with its origin at q, bringing in the layers it uses
// that the document lacks. One undo step; with new layers it holds the layer
// list too. Nothing happens for an empty group.
void PlaceCopy(TVemoEventContext& context, TVemoDocument& document, const TVemoGroup& offered, PointF q) {
    if (offered.GetChildCount() == 0) return;
    const int layersBefore = document.GetLayerList().Count();
    TEditStep step(context, TStepKind::Root);
    TVemoGroup* placed = PlaceLibraryPart(offered, document, q);
    const bool newLayers = document.GetLayerList().Count() != layersBefore;
    step.Commit(newLayers ? TStepKind::Objects : TStepKind::Root);
    if (newLayers) context.Ui().RefreshLayers();
    if (context.RootObject().IndexOf(placed) >= 0) context.Invalidate();
}

}  // namespace

// --- pad ---------------------------------------------------------------------

TVemoEventState* TVemoPadState::MouseMove(TShiftState, PointF point) {
    ShowPosition(*context_, Document(), point);
    return this;
}

TVemoEventState* TVemoPadState::MouseUp(TShiftState, PointF point) {
    anchor_ = gridsnap::Snapped(&Document(), point);
    context_->SetOrigin(anchor_);
    if (const TVemoGroup* pad = context_->Ui().SelectedPad()) PlaceCopy(*context_, Document(), *pad, anchor_);
    return this;
}

TVemoEventState* TVemoPadState::Command(TEditCommand code) {
    if (code != ecUndo && code != ecRedo) return TVemoEventState::Command(code);
    context_->StylePanel().ClearStyles();
    StepHistory(code == ecRedo);
    return this;
}

// --- library -----------------------------------------------------------------

TVemoEventState* TVemoLibState::Leave() {
    cancels_ = 0;
    return nullptr;
}

TVemoEventState* TVemoLibState::MouseMove(TShiftState, PointF point) {
    ShowPosition(*context_, Document(), point);
    return this;
}

TVemoEventState* TVemoLibState::MouseUp(TShiftState, PointF point) {
    anchor_ = gridsnap::Snapped(&Document(), point);
    context_->SetOrigin(anchor_);
    if (const TVemoGroup* part = context_->Ui().ChooseLibraryPart()) {
        PlaceCopy(*context_, Document(), *part, anchor_);
        cancels_ = 0;
        return this;
    }
    // Cancelled twice in a row: the user wants to stop placing parts.
    if (++cancels_ > 1) return context_->PressTool("select");
    return this;
}

TVemoEventState* TVemoLibState::Command(TEditCommand code) {
    if (code != ecUndo && code != ecRedo) return TVemoEventState::Command(code);
    StepHistory(code == ecRedo);
    return this;
}

// --- parts -------------------------------------------------------------------

TVemoPartsStateIF::TVemoPartsStateIF(TVemoEventContext& context)
    : TVemoEventState(context),
      selection_(context.Session().parts.selection),
      bounds_(context.Session().parts.bounds),
      layerObjects_(context.Session().parts.layerObjects),
      layerPaths_(context.Session().parts.layerPaths),
      moved_(context.Session().parts.moved),
      pressed_(context.Session().parts.pressed) {}

void TVemoPartsStateIF::ClearLists() {
    pressed_ = false;
    selection_.Clear();
    layerObjects_.clear();
    layerPaths_.clear();
}

TVemoEventState* TVemoPartsStateIF::Leave() {
    // Also ends the anchor selection of the dragged-along paths.
    context_->RootObject().Deselect();
    context_->InvalidateOverlay();
    context_->StylePanel().ClearStyles();
    ClearLists();
    moved_ = false;
    return nullptr;
}

TVemoEventState* TVemoPartsState::MouseDown(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    anchor_ = point;
    context_->SetOrigin(point);
    TVemoPart& root = context_->RootObject();
    if (root.HitPoint(point)) {
        if (!root.HitSelected(point)) {
            root.Deselect();
            root.SelectAt(point);
        }
    } else {
        root.Deselect();
    }
    selection_.Clear();
    root.Accept(selection_);
    FindConnectedPaths();
    pressed_ = true;
    context_->InvalidateOverlay();
    return this;
}

void TVemoPartsState::FindConnectedPaths() {
    TVemoPart& root = context_->RootObject();
    layerObjects_.clear();
    layerPaths_.clear();
    if (!selection_.GetSelectionBounds(bounds_)) return;
    TRegionVisitor region(bounds_, nullptr);
    root.Accept(region);

    const TVemoLayerList& layers = Document().GetLayerList();
    std::unordered_set<const TVemoObject*> moved;
    for (const TVemoObject* object : selection_.Objects()) moved.insert(object);
    for (int i = 0; i < layers.Count(); ++i) {
        auto& objects = *layerObjects_.emplace_back(std::make_unique<TLayerVisitor>(i));
        selection_.ForEachDeep(objects);
        auto& paths = *layerPaths_.emplace_back(std::make_unique<TLayerPathVisitor>(i));
        const TVemoLayerPtr layer = layers.At(i);
        if (!layer || layer->IsLocked() || objects.Count() == 0) continue;
        // A path that is moved itself must not move a second time through its
        // anchors: that would tear its end off the pad it was moved with.
        TLayerPathVisitor found(i);
        region.ForEachShallow(found);
        for (TVemoPath* path : found.Paths())
            if (!moved.contains(path)) paths.Visit(path);
        for (TVemoPath* path : paths.Paths())
            for (TVemoObject* object : objects.Objects())
                if (object != path) path->SelectAnchorsOn(*object);
    }
}

TVemoEventState* TVemoPartsState::MouseMove(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) {
        ShowPosition(*context_, Document(), point);
        return this;
    }
    if (!pressed_) return this;
    PointF d(point.x - anchor_.x, point.y - anchor_.y);
    // Whole pitches from the press point keep what was on the grid on it.
    if (!gridsnap::WholePitches(&Document(), d)) return this;
    if (d.x != 0.0f || d.y != 0.0f) {
        for (TVemoObject* object : selection_.Objects()) object->Translate(d.x, d.y);
        for (const auto& paths : layerPaths_)
            for (TVemoPath* path : paths->Paths()) path->MoveSelection(d.x, d.y);
        moved_ = moved_ || !selection_.Objects().empty();
    }
    anchor_ = PointF(anchor_.x + d.x, anchor_.y + d.y);
    context_->ShowPosition(anchor_);
    context_->InvalidateOverlay();
    return this;
}

TVemoEventState* TVemoPartsState::MouseUp(TShiftState, PointF point) {
    context_->StylePanel().ShowStyles(selection_.Objects());
    anchor_ = gridsnap::Snapped(&Document(), point);
    pressed_ = false;
    if (moved_) {
        TEditStep(*context_, TStepKind::Root).Commit();
        moved_ = false;
    }
    context_->Invalidate();
    return this;
}

TVemoEventState* TVemoPartsState::Command(TEditCommand code) {
    if (code != ecUndo && code != ecRedo) return TVemoEventState::Command(code);
    // The steps replace the document's objects: nothing found at the press may be touched again.
    context_->StylePanel().ClearStyles();
    ClearLists();
    moved_ = false;
    StepHistory(code == ecRedo);
    return this;
}
