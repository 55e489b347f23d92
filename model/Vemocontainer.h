#pragma once
// What groups and parts share: they own their children, keep them in child
// order (hit testing, saving, visiting) and in a painting order where cut-out
// children come last, and pass the object operations on to them. A container
// has no layer and no stroke style of its own.

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/Vemoobject.h"

class TVemoContainer : public TVemoObject {
public:
    // The most containers a chain from a root down to a leaf may hold, the root
    // included. Every walk over the tree (drawing, visiting, saving, copying,
    // destroying) recurses once per level, so the tree itself refuses to grow
    // deeper and no file or edit can make a walk exhaust the stack.
    static constexpr int kMaxNesting = 256;

    ~TVemoContainer() override;

    TVemoContainer* Clone() const override = 0;

    // Takes ownership and becomes the child's parent; the child goes to the front
    // of the painting order, or to the back when it cuts out. Returns the child;
    // null for a null child, and null (the child destroyed) when it would nest
    // containers deeper than kMaxNesting: check with CanAdopt first.
    TVemoObject* AddChild(std::unique_ptr<TVemoObject> child);
    // Whether child may be added without exceeding kMaxNesting.
    bool CanAdopt(const TVemoObject& child) const;
    // The containers from the root of this container's tree down to it, itself included.
    int NestingLevel() const;
    // Adds a clone of object; returns the copy (null as AddChild).
    TVemoObject* AddCopy(const TVemoObject& object);
    int GetChildCount() const { return static_cast<int>(children_.size()); }
    // Null when i is out of range.
    TVemoObject* GetChild(int i) const;
    // Position of child in child order, or -1.
    int IndexOf(const TVemoObject* child) const;
    // Hands a child back to the caller without destroying it (grouping and
    // ungrouping); its parent becomes null. A group left empty stays: removing it
    // is the caller's business. Null when child is not one of ours.
    std::unique_ptr<TVemoObject> ReleaseChild(TVemoObject* child);
    // Destroys every child at once (reading a container's contents anew).
    void ClearChildren();
    // Hands every child back at once, in child order, their parents null.
    std::vector<std::unique_ptr<TVemoObject>> ReleaseChildren();
    // The children in painting order: ordinary ones in reverse child order, then
    // the cut-out ones in child order.
    const std::deque<TVemoObject*>& GetDrawOrder() const { return drawOrder_; }

    // Rebuilds every child, then the painting order.
    void Rebuild() override;
    // Destroys child; see the derived classes for what an empty container does.
    void RemoveChild(TVemoObject* child) override;
    void AddOutline(GraphicsPath& path, int layerIndex) const override;
    // The rectangle enclosing the bounds of the children that count (see
    // CountsForBounds); an empty rectangle when none does or this is hidden.
    void GetBounds(RectF& bounds) const override;

    void DrawFill(TVemoGraphics* graphics, int layerIndex) const override;
    void DrawDecorations(TVemoGraphics* graphics) const override;
    void DrawMask(TVemoGraphics* graphics, int layerIndex) const override;

    // The area tests and handle queries ask the children that are not locked.
    bool HitPoint(PointF p) const override;
    bool HitRect(const RectF& rect, TVemoGraphics* graphics) const override;
    bool HitPath(const GraphicsPath& path, const RectF& pathBounds, TVemoGraphics* graphics) const override;
    bool HitSelected(PointF p) const override;

    int HitHandle(PointF p, float tol) const override;
    int AnchorsInRect(const RectF& rect) const override;
    int HitSelectedAnchor(PointF p, float tol) const override;
    // A child already editing points that hits an anchor or handle wins at once;
    // otherwise the first other child with something under p picks.
    int PickHandle(PointF p, float tol) override;
    int SelectAnchorsInRect(const RectF& rect) override;
    int SelectAllAnchors() override;
    void DeselectAnchors() override;

    // Whole-object moves include locked children; selection edits do not.
    void Transform(const Matrix& m) override;
    void Translate(float dx, float dy) override;
    void Rotate(float angle, PointF centre) override;
    void MoveSelection(float dx, float dy) override;
    void RotateSelection(float angle, PointF centre) override;
    void MoveActiveHandle(float dx, float dy) override;
    void RotateActiveHandle(float angle, PointF centre) override;

    void RebindLayer(const TVemoLayerList& layers) override;
    void AcceptDeep(TVemoObjectVisitor& visitor) override;

    TVemoContainer* AsContainer() override { return this; }
    const TVemoContainer* AsContainer() const override { return this; }

protected:
    explicit TVemoContainer(std::string name);
    // The common state (name, flags visible only) and a clone of every child, in
    // child order.
    TVemoContainer(const TVemoContainer& other);

    void RebuildDrawOrder();
    // Whether a child's bounds take part in GetBounds.
    virtual bool CountsForBounds(const TVemoObject& child) const = 0;
    // Removes and destroys child; false when it is not one of ours.
    bool DestroyChild(TVemoObject* child);

    std::vector<std::unique_ptr<TVemoObject>> children_;
    std::deque<TVemoObject*> drawOrder_;  // non-owning: the same objects as children_
};

// Every object of the tree under root, root first and children in child
// order, depth first, walked with a stack of its own (how deep a document
// nests is up to the file). With visibleOnly, a hidden object is left out with
// everything it holds, as drawing leaves it out.
void ForEachObject(const TVemoObject& root, bool visibleOnly,
                   const std::function<void(const TVemoObject&)>& visit);

// Builds the outline of every stale object under root (see
// TVemoInstance::AssignLayer), spread over the processor's cores. Each
// object's outline depends on nothing but its own data, so the result is the
// same as one rebuild after another, whatever order the threads take. Texts
// are laid out on the calling thread: their glyphs come from the font
// machinery of the application.
void RebuildStale(TVemoObject& root);
