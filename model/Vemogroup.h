#pragma once
// Objects bound into one unit that is selected, moved and deleted as a whole.
// Placed pads and library parts arrive as groups. A group that loses its last
// child removes itself from its parent.

#include <string_view>

#include "model/Vemocontainer.h"

class TVemoGroup : public TVemoContainer {
public:
    TVemoGroup();
    // The source's name, flags visible only, a clone of every child.
    TVemoGroup(const TVemoGroup& other) = default;

    TVemoGroup* Clone() const override;
    std::string_view GetTag() const override { return "GRUP"; }

    // Destroys child. When none is left the group asks its parent to remove it,
    // which destroys the group: nothing of it may be touched afterwards.
    void RemoveChild(TVemoObject* child) override;

    // A hit on any child that is not locked selects the whole group.
    bool SelectAt(PointF p) override;
    bool SelectInRect(const RectF& rect, TVemoGraphics* graphics) override;
    // The group's own flag and every child, locked ones included.
    void Select() override;
    void Deselect() override;

    // Visited as a unit.
    void Accept(TVemoObjectVisitor& visitor) override;

protected:
    // Only the selected children measure a group.
    bool CountsForBounds(const TVemoObject& child) const override { return child.IsSelected(); }
};
