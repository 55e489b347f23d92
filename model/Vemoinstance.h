#pragma once
// A drawing object placed on a layer with a stroke style: the common base of
// paths, rectangles, ellipses and texts. The object's colour always comes from
// its layer; ApplyLayerColour brings the surface in step before the outline is
// rebuilt.

#include <string>
#include <string_view>

#include "model/Vemolayer.h"

#include "model/Vemoobject.h"
#include "model/Vemosurface.h"

class TVemoInstance : public TVemoObject {
public:
    // True when this object's layer lies above the other's (smaller index);
    // otherwise whether this object cuts out.
    bool IsAbove(const TVemoObject& other) const override;

    // Ends any point editing, then selects the object when it is not locked and is
    // hit (HitPoint / HitRect).
    bool SelectAt(PointF p) override;
    bool SelectInRect(const RectF& rect, TVemoGraphics* graphics) override;

    // Copies the style, then rebuilds.
    void SetSurface(const TVemoSurface& surface) override;
    TVemoSurface* GetSurface() override { return &surface_; }
    const TVemoSurface* GetSurface() const override { return &surface_; }
    // Takes the layer of layers named like the present one, if there is one, and rebuilds.
    void RebindLayer(const TVemoLayerList& layers) override;
    // Takes the layer, then rebuilds.
    void SetLayer(TVemoLayerPtr layer) override;
    TVemoLayerPtr GetLayer() const override { return layer_; }
    // The layer without a count of its own (for loops over many objects).
    const TVemoLayer* LayerOrNull() const { return layer_.get(); }

    // Reading a record in steps: the reader takes the layer without building
    // anything, sets the data with the Assign... calls of the derived classes
    // (which leave the outline stale) and then either rebuilds, now or later
    // with the other stale objects of the document (see RebuildStale), or calls
    // KeepOutline when the data it set equals what the outline was built from.
    void AssignLayer(TVemoLayerPtr layer) { layer_ = std::move(layer); }
    // The outline still has to be built from the present data.
    bool IsStale() const { return stale_; }
    // The outline is known to match the present data (see AssignLayer): only
    // the colour is taken from the layer again, as Rebuild would.
    void KeepOutline();

    // Locked by its own flag, or because its layer is locked or hidden.
    bool IsLocked() const override;
    // Its layer or its own style cuts out.
    bool IsCutOut() const override;

    TVemoInstance* AsInstance() override { return this; }
    const TVemoInstance* AsInstance() const override { return this; }

    // Why the cached outline only approximates the object, for callers that
    // tell the user; empty when it is exact. Geometry beyond geom::kReach is
    // clamped there, and a line that crosses itself too often to unite keeps
    // its overlapping pieces (the same area under the nonzero rule), so that
    // no file can make building an outline take unbounded time.
    std::string_view OutlineNote() const;
    // Its geometry leaves the reach of outlines (or is not finite).
    bool IsBeyondReach() const { return outlineQuality_ == kBeyondReach; }

protected:
    enum OutlineQuality : unsigned char { kExact, kBeyondReach, kTangled };
    // Set by Rebuild.
    unsigned char outlineQuality_ = kExact;
    // Set by the Assign... calls of reading, cleared by Rebuild and KeepOutline.
    bool stale_ = false;

    explicit TVemoInstance(std::string name);
    // Copies the common state (name, flags visible only), the layer and the surface.
    TVemoInstance(const TVemoInstance& other) = default;

    // Paints the surface in the layer's effective colour (or the cut-out colour).
    void ApplyLayerColour();
    // The object takes part in the drawing or outline pass of layer index layerIndex.
    bool OnLayerPass(int layerIndex) const;
    // DrawFill of an object with a cached outline: on a wire-frame layer the outline
    // is stroked one pixel wide in the layer's opaque colour, otherwise filled with
    // the surface's brush. Nothing when the object is not on the pass.
    void DrawOutlineFill(TVemoGraphics* graphics, int layerIndex, const GraphicsPath& outline) const;
    // PrefetchForDrawing of an object drawn through DrawOutlineFill.
    void PrefetchOutline(int stage, const GraphicsPath& outline, const RectF& bounds) const;
    // DrawMask of the same: ink (paper for cut-out objects) in the monochrome colours,
    // stroked one pixel wide on wire-frame layers.
    void DrawOutlineMask(TVemoGraphics* graphics, int layerIndex, const GraphicsPath& outline) const;

    TVemoLayerPtr layer_;
    TVemoSurface surface_;
};
