#include "model/Vemoinstance.h"

#include <utility>

#include "model/Vemodrawstyle.h"
#include "model/Vemographics.h"
#include "model/Vemolayerlist.h"

TVemoInstance::TVemoInstance(std::string name) : TVemoObject(std::move(name)) {}

bool TVemoInstance::IsAbove(const TVemoObject& other) const {
    // Containers have no layer: only the cut-out rule can order against them.
    const TVemoLayerPtr otherLayer = other.GetLayer();
    if (layer_ && otherLayer && layer_->GetIndex() < otherLayer->GetIndex()) return true;
    return surface_.GetCutOut();
}

bool TVemoInstance::SelectAt(PointF p) {
    ClearFlags(FlagEditingPoints);
    DeselectAnchors();
    if (IsLocked() || !HitPoint(p)) return false;
    Select();
    return true;
}

bool TVemoInstance::SelectInRect(const RectF& rect, TVemoGraphics* graphics) {
    ClearFlags(FlagEditingPoints);
    DeselectAnchors();
    if (IsLocked() || !HitRect(rect, graphics)) return false;
    Select();
    return true;
}

void TVemoInstance::SetSurface(const TVemoSurface& surface) {
    surface_ = surface;
    Rebuild();
}

void TVemoInstance::RebindLayer(const TVemoLayerList& layers) {
    if (!layer_) return;
    TVemoLayerPtr same = layers.Find(layer_->GetName());
    if (!same) return;
    layer_ = std::move(same);
    // The outline does not depend on the layer, only the colour does: a
    // layer-list step binds a whole board again without rebuilding it.
    if (!stale_) ApplyLayerColour();
}

void TVemoInstance::KeepOutline() {
    stale_ = false;
    ApplyLayerColour();
}

void TVemoInstance::SetLayer(TVemoLayerPtr layer) {
    layer_ = std::move(layer);
    Rebuild();
}

bool TVemoInstance::IsLocked() const {
    return TestFlags(FlagLocked) || (layer_ && (layer_->IsLocked() || !layer_->IsVisible()));
}

bool TVemoInstance::IsCutOut() const {
    return (layer_ && layer_->IsCutOut()) || surface_.GetCutOut();
}

void TVemoInstance::ApplyLayerColour() {
    if (layer_) surface_.ApplyColour(layer_->GetEffectiveColour());
}

bool TVemoInstance::OnLayerPass(int layerIndex) const {
    return IsVisible() && layer_ && layer_->GetIndex() == layerIndex;
}

void TVemoInstance::PrefetchOutline(int stage, const GraphicsPath& outline, const RectF& bounds) const {
    if (stage == 0) {
        __builtin_prefetch(this);
        __builtin_prefetch(&layer_);
        __builtin_prefetch(&surface_);
        __builtin_prefetch(&outline);
        __builtin_prefetch(&bounds);
        return;
    }
    __builtin_prefetch(outline.Points().data());
    __builtin_prefetch(outline.Types().data());
}

void TVemoInstance::DrawOutlineFill(TVemoGraphics* graphics, int layerIndex,
                                    const GraphicsPath& outline) const {
    if (!graphics || !OnLayerPass(layerIndex)) return;
    if (layer_->IsWireFrame()) {
        Pen pen;
        pen.colour = layer_->GetOpaqueColour();
        pen.width = DrawStyle().GetPixelSize();
        graphics->StrokePath(outline, pen);
    } else {
        graphics->FillPath(outline, surface_.GetBrush().colour);
    }
}

void TVemoInstance::DrawOutlineMask(TVemoGraphics* graphics, int layerIndex,
                                    const GraphicsPath& outline) const {
    if (!graphics || !OnLayerPass(layerIndex)) return;
    const TDrawStyle& style = DrawStyle();
    if (layer_->IsWireFrame()) {
        Pen pen;
        pen.colour = style.GetColour(dcMaskInk);
        pen.width = style.GetPixelSize();
        graphics->StrokePath(outline, pen);
    } else {
        graphics->FillPath(outline, style.GetColour(IsCutOut() ? dcMaskPaper : dcMaskInk));
    }
}

std::string_view TVemoInstance::OutlineNote() const {
    switch (outlineQuality_) {
        case kBeyondReach:
            return "it reaches more than 100 m from the origin: its outline is cut off there";
        case kTangled:
            return "it crosses itself too often to merge its outline: the outline is left in overlapping "
                   "pieces";
        default:
            return {};
    }
}
