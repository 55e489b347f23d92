#include "model/Vemoobject.h"

#include <utility>

#include "model/Vemoobjectvisitor.h"

TVemoObject::TVemoObject(std::string name) : name_(std::move(name)) {}

TVemoObject::TVemoObject(const TVemoObject& other) : TVemoBase(other), name_(other.name_) {}

void TVemoObject::AssignBase(const TVemoObject& source) {
    name_ = source.name_;
    flags_ = FlagVisible;
}

void TVemoObject::Rebuild() {}

void TVemoObject::RemoveFromParent() {
    if (parent_) parent_->RemoveChild(this);
}

void TVemoObject::RemoveChild(TVemoObject*) {}
void TVemoObject::AddOutline(GraphicsPath&, int) const {}
void TVemoObject::AddMergedOutline(GraphicsPath&, int) {}
void TVemoObject::GetBounds(RectF&) const {}

void TVemoObject::PrefetchForDrawing(int) const {}
bool TVemoObject::IsAbove(const TVemoObject&) const {
    return true;
}
int TVemoObject::WriteGerber(TGerber_oarchive&) const {
    return -1;
}

bool TVemoObject::IsSelected() const {
    return TestFlags(FlagSelected);
}
void TVemoObject::Select() {
    SetFlags(FlagSelected);
}
void TVemoObject::Deselect() {
    ClearFlags(FlagSelected);
}

void TVemoObject::PullHandles(PointF) {}
void TVemoObject::ToggleNodeKind(PointF) {}
void TVemoObject::InsertNodeAt(PointF) {}
void TVemoObject::DeleteNodeAt(PointF, float) {}
void TVemoObject::MoveSelection(float, float) {}
void TVemoObject::RotateSelection(float, PointF) {}
void TVemoObject::MoveActiveHandle(float, float) {}
void TVemoObject::RotateActiveHandle(float, PointF) {}
void TVemoObject::Reverse() {}

void TVemoObject::SetName(const std::string& name) {
    name_ = name;
}
const std::string& TVemoObject::GetName() const {
    return name_;
}
void TVemoObject::SetSurface(const TVemoSurface&) {}
TVemoSurface* TVemoObject::GetSurface() {
    return nullptr;
}
const TVemoSurface* TVemoObject::GetSurface() const {
    return nullptr;
}
void TVemoObject::RebindLayer(const TVemoLayerList&) {}
// NOLINTNEXTLINE(performance-unnecessary-value-param): by value so that overrides take the pointer over.
void TVemoObject::SetLayer(TVemoLayerPtr) {}
TVemoLayerPtr TVemoObject::GetLayer() const {
    return {};
}
void TVemoObject::SetParent(TVemoObject* parent) {
    parent_ = parent;
}
TVemoObject* TVemoObject::GetParent() {
    return parent_;
}
const TVemoObject* TVemoObject::GetParent() const {
    return parent_;
}

void TVemoObject::Accept(TVemoObjectVisitor& visitor) {
    visitor.Visit(this);
}
void TVemoObject::AcceptDeep(TVemoObjectVisitor& visitor) {
    visitor.Visit(this);
}

void TVemoObject::SetFlags(std::int32_t mask) {
    flags_ |= mask;
}
void TVemoObject::ClearFlags(std::int32_t mask) {
    flags_ &= ~mask;
}
std::int32_t TVemoObject::GetFlags() const {
    return flags_;
}
bool TVemoObject::TestFlags(std::int32_t mask) const {
    return (flags_ & mask) != 0;
}
bool TVemoObject::IsVisible() const {
    return TestFlags(FlagVisible);
}
bool TVemoObject::IsLocked() const {
    return TestFlags(FlagLocked);
}
bool TVemoObject::IsEditingPoints() const {
    return TestFlags(FlagEditingPoints);
}
bool TVemoObject::IsCutOut() const {
    return false;
}
