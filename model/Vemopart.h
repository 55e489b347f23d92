#pragma once
// A transparent container: selection and shallow visits reach through it to
// its children. The document's whole content is one root part. A part also
// merges the outlines of one layer for the outputs.

#include <string_view>

#include "model/Vemocontainer.h"

class TVemoPart : public TVemoContainer {
public:
    TVemoPart();
    // The source's name, flags visible only, a clone of every child.
    TVemoPart(const TVemoPart& other) = default;

    TVemoPart* Clone() const override;
    std::string_view GetTag() const override { return "PART"; }

    // Appends the outlines of every visible object on layer index layerIndex, met
    // objects merged into one area each, in the order of each area's first object
    // in a deep visit. When path already held figures, path becomes the winding
    // outline of everything. The work grows with the number of objects, not
    // with its square: only objects whose bounds meet are compared.
    void AddMergedOutline(GraphicsPath& path, int layerIndex) override;

    // Every unlocked child is asked and selects itself or not.
    bool SelectAt(PointF p) override;
    bool SelectInRect(const RectF& rect, TVemoGraphics* graphics) override;
    // Selects the unlocked children; a part itself is never selected.
    void Select() override;
    void Deselect() override;

    // A part is never visited itself: its children are.
    void Accept(TVemoObjectVisitor& visitor) override;

protected:
    bool CountsForBounds(const TVemoObject&) const override { return true; }
};
