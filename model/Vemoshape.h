#pragma once
// Common base of the placed shapes (rectangle, ellipse): five points in the
// shape's own frame and a placement matrix mapping that frame to the document.
// Moving, rotating or transforming the whole shape changes only the placement;
// dragging a handle changes the local points. The cached world outline (stroke
// and fill, nonzero rule) serves drawing, hit testing and merging.
//
// Handles: 0 is the centre, 1 ... 4 the shape's corners or axis points. Only
// one handle is ever flagged by picking; the derived class says how a dragged
// handle reshapes the local points.

#include <array>
#include <string>

#include "model/Vemoinstance.h"

class TVemoShape : public TVemoInstance {
public:
    static constexpr int kHandleCount = 5;
    using LocalPoints = std::array<PointF, kHandleCount>;

    TVemoShape* Clone() const override = 0;

    // Takes the local points and placement (as the archive reader finds them), then rebuilds.
    void SetData(const LocalPoints& points, const Matrix& placement);
    // The same without rebuilding (see TVemoInstance::AssignLayer).
    void AssignData(const LocalPoints& points, const Matrix& placement);
    // Whether the local points and the placement are these, bit for bit.
    bool HasData(const LocalPoints& points, const Matrix& placement) const;
    const LocalPoints& GetLocalPoints() const { return local_; }
    const Matrix& GetPlacement() const { return placement_; }
    // The inverse of the placement as of the last Rebuild.
    const Matrix& GetInverse() const { return inverse_; }
    bool IsHandleSelected(int handle) const;
    // The handle in document coordinates (0 centre, 1 ... 4 as the derived class says).
    virtual PointF GetHandle(int handle) const = 0;
    // Axis-parallel bounds of local points 1 ... 4, i.e. of the shape in its own frame.
    RectF GetLocalBounds() const;
    const GraphicsPath& GetOutline() const { return outline_; }

    void Rebuild() override;
    void AddOutline(GraphicsPath& path, int layerIndex) const override;
    void GetBounds(RectF& bounds) const override;

    void DrawFill(TVemoGraphics* graphics, int layerIndex) const override;
    void PrefetchForDrawing(int stage) const override { PrefetchOutline(stage, outline_, bounds_); }
    void DrawDecorations(TVemoGraphics* graphics) const override;
    void DrawMask(TVemoGraphics* graphics, int layerIndex) const override;

    bool HitPoint(PointF p) const override;
    bool HitRect(const RectF& rect, TVemoGraphics* graphics) const override;
    bool HitPath(const GraphicsPath& path, const RectF& pathBounds, TVemoGraphics* graphics) const override;
    bool HitSelected(PointF p) const override;
    // Both end any handle editing first.
    void Select() override;
    void Deselect() override;

    int HitHandle(PointF p, float tol) const override;
    int AnchorsInRect(const RectF& rect) const override;
    int HitSelectedAnchor(PointF p, float tol) const override;
    int PickHandle(PointF p, float tol) override;
    int SelectAnchorsInRect(const RectF& rect) override;
    // Flags the centre handle, so that MoveSelection moves the whole shape.
    int SelectAllAnchors() override;
    // Clears the handle flags only; the editing flag is the caller's business.
    void DeselectAnchors() override;

    void Transform(const Matrix& m) override;
    void Translate(float dx, float dy) override;
    void Rotate(float angle, PointF centre) override;
    // The first flagged handle follows the document delta: the centre moves the
    // whole shape, the others reshape it in its own frame.
    void MoveSelection(float dx, float dy) override;

protected:
    explicit TVemoShape(std::string name);
    // Copies the common state, layer, surface, local points, placement and
    // handle flags; the derived copy rebuilds.
    TVemoShape(const TVemoShape& other) = default;

    // Recomputes the derived class's world points from local_ and placement_.
    virtual void ComputeWorldPoints() = 0;
    // Adds the shape's closed figure in document coordinates as a new figure.
    virtual void AddFigure(GraphicsPath& path) const = 0;
    // Reshapes the local points for handle 1 ... 4 dragged by d (own frame).
    virtual void MoveHandle(int handle, PointF d) = 0;

    LocalPoints local_{};
    Matrix placement_;

private:
    void ClearHandleFlags();
    // The first handle in rect, or -1.
    int FirstHandleIn(const RectF& rect) const;

    Matrix inverse_;
    // False while the placement is singular: the shape has collapsed and a
    // document delta has no meaning in its own frame.
    bool invertible_ = true;
    std::array<bool, kHandleCount> handleFlags_{};
    GraphicsPath outline_{geom::FillMode::Winding};
    RectF bounds_;
};
