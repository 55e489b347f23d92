#pragma once
// Base of every drawing object of a document. The virtual operations below are
// the one interface that containers, tools, visitors, drawing and export use;
// their order is fixed. Containers own their children; an object knows its
// container through a plain back pointer.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/Vemobase.h"
#include "model/Vemotypes.h"

class TVemoSurface;
class TVemoLayerList;
class TVemoContainer;
class TVemoInstance;
class TVemoGraphics;
class TVemoObjectVisitor;
class TGerber_oarchive;

class TVemoObject : public TVemoBase {
public:
    static constexpr std::int32_t FlagSelected = 0x1;
    static constexpr std::int32_t FlagVisible = 0x2;
    static constexpr std::int32_t FlagLocked = 0x4;
    static constexpr std::int32_t FlagEditingPoints = 0x8;

    ~TVemoObject() override = default;
    TVemoObject& operator=(const TVemoObject&) = delete;

    TVemoObject* Clone() const override = 0;
    // The four-letter archive tag of the class.
    virtual std::string_view GetTag() const = 0;
    // Takes the name of source; the flags become visible only.
    virtual void AssignBase(const TVemoObject& source);
    // Recomputes the cached outline and bounds after any change.
    virtual void Rebuild();
    // Asks the parent to remove, and so destroy, this object: do not touch it afterwards.
    virtual void RemoveFromParent();
    virtual void RemoveChild(TVemoObject* child);
    // Appends the outline of a visible object on layer index layerIndex.
    virtual void AddOutline(GraphicsPath& path, int layerIndex) const;
    virtual void AddMergedOutline(GraphicsPath& path, int layerIndex);
    // World bounds of the cached outline; left unchanged by objects without one.
    virtual void GetBounds(RectF& bounds) const;
    virtual bool IsAbove(const TVemoObject& other) const;

    virtual void DrawFill(TVemoGraphics* graphics, int layerIndex) const = 0;
    // Asks the processor to start fetching what GetBounds and DrawFill read, a
    // few objects ahead of a redraw: stage 0 the object's own fields, stage 1
    // the data they point to (call it once stage 0 has had time to arrive). A
    // hint only; nothing changes.
    virtual void PrefetchForDrawing(int stage) const;
    virtual void DrawDecorations(TVemoGraphics* graphics) const = 0;
    virtual void DrawMask(TVemoGraphics* graphics, int layerIndex) const = 0;

    // Adds the object to a photoplot output; -1 when the object has nothing to add.
    virtual int WriteGerber(TGerber_oarchive& writer) const;

    // Area tests need no graphics context: graphics may be null.
    virtual bool HitPoint(PointF p) const = 0;
    virtual bool HitRect(const RectF& rect, TVemoGraphics* graphics) const = 0;
    virtual bool HitPath(const GraphicsPath& path, const RectF& pathBounds,
                         TVemoGraphics* graphics) const = 0;
    virtual bool HitSelected(PointF p) const = 0;
    virtual bool IsSelected() const;
    virtual bool SelectAt(PointF p) = 0;
    virtual bool SelectInRect(const RectF& rect, TVemoGraphics* graphics) = 0;
    virtual void Select();
    virtual void Deselect();

    // Point editing; tol is in pixels. Answers: 2 anchor or handle point, 4 control
    // handle of a selected anchor, 1 the outline, 0 nothing.
    virtual int HitHandle(PointF p, float tol) const = 0;
    virtual int AnchorsInRect(const RectF& rect) const = 0;
    virtual int HitSelectedAnchor(PointF p, float tol) const = 0;
    virtual int PickHandle(PointF p, float tol) = 0;
    virtual int SelectAnchorsInRect(const RectF& rect) = 0;
    virtual int SelectAllAnchors() = 0;
    virtual void DeselectAnchors() = 0;
    virtual void PullHandles(PointF p);
    virtual void ToggleNodeKind(PointF p);
    virtual void InsertNodeAt(PointF p);
    virtual void DeleteNodeAt(PointF p, float tol);

    virtual void Transform(const Matrix& m) = 0;
    virtual void Translate(float dx, float dy) = 0;
    // angle in degrees about centre.
    virtual void Rotate(float angle, PointF centre) = 0;
    virtual void MoveSelection(float dx, float dy);
    virtual void RotateSelection(float angle, PointF centre);
    virtual void MoveActiveHandle(float dx, float dy);
    virtual void RotateActiveHandle(float angle, PointF centre);
    virtual void Reverse();

    virtual void SetName(const std::string& name);
    virtual const std::string& GetName() const;
    // Objects without a stroke style (containers) ignore it and answer null.
    virtual void SetSurface(const TVemoSurface& surface);
    virtual TVemoSurface* GetSurface();
    virtual const TVemoSurface* GetSurface() const;
    virtual void RebindLayer(const TVemoLayerList& layers);
    virtual void SetLayer(TVemoLayerPtr layer);
    virtual TVemoLayerPtr GetLayer() const;
    virtual void SetParent(TVemoObject* parent);
    virtual TVemoObject* GetParent();
    virtual const TVemoObject* GetParent() const;

    // Shallow visit: groups are visited as units.
    virtual void Accept(TVemoObjectVisitor& visitor);
    // Deep visit: every leaf object.
    virtual void AcceptDeep(TVemoObjectVisitor& visitor);

    virtual void SetFlags(std::int32_t mask);
    virtual void ClearFlags(std::int32_t mask);
    virtual std::int32_t GetFlags() const;
    virtual bool TestFlags(std::int32_t mask) const;
    virtual bool IsVisible() const;
    virtual bool IsLocked() const;
    virtual bool IsEditingPoints() const;
    virtual bool IsCutOut() const;

    // The object as a container or as a placed drawing object, or null: the
    // walks over every object of a board ask this instead of a dynamic_cast.
    virtual TVemoContainer* AsContainer() { return nullptr; }
    virtual const TVemoContainer* AsContainer() const { return nullptr; }
    virtual TVemoInstance* AsInstance() { return nullptr; }
    virtual const TVemoInstance* AsInstance() const { return nullptr; }

protected:
    explicit TVemoObject(std::string name);
    // Copies the common state as AssignBase does: the name, flags visible only, no parent.
    TVemoObject(const TVemoObject& other);

private:
    std::int32_t flags_ = FlagVisible;
    std::string name_;
    TVemoObject* parent_ = nullptr;
};
