#include "model/Vemogroup.h"

#include "model/Vemoobjectvisitor.h"

TVemoGroup::TVemoGroup() : TVemoContainer("Group") {}

TVemoGroup* TVemoGroup::Clone() const {
    return new TVemoGroup(*this);
}

void TVemoGroup::RemoveChild(TVemoObject* child) {
    if (!DestroyChild(child)) return;
    RebuildDrawOrder();
    // This call may destroy the group; it must be the last thing done here.
    if (children_.empty()) RemoveFromParent();
}

bool TVemoGroup::SelectAt(PointF p) {
    // Every unlocked child is asked, so each one ends its own point editing.
    bool hit = false;
    for (const auto& child : children_)
        if (!child->IsLocked() && child->SelectAt(p)) hit = true;
    if (hit) Select();
    return hit;
}

bool TVemoGroup::SelectInRect(const RectF& rect, TVemoGraphics* graphics) {
    bool hit = false;
    for (const auto& child : children_)
        if (!child->IsLocked() && child->SelectInRect(rect, graphics)) hit = true;
    if (hit) Select();
    return hit;
}

void TVemoGroup::Select() {
    SetFlags(FlagSelected);
    for (const auto& child : children_) child->Select();
}

void TVemoGroup::Deselect() {
    ClearFlags(FlagSelected);
    for (const auto& child : children_) child->Deselect();
}

void TVemoGroup::Accept(TVemoObjectVisitor& visitor) {
    visitor.Visit(this);
}
