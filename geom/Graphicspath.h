#pragma once
// Figures of line and cubic Bezier segments with close marks and a fill mode,
// stored as points with one kind byte each: start, line or Bezier, plus a close
// mark on the last point of a closed figure.
//
// Area operations (widen, winding outline, containment, overlap tests) work on
// the flattened geometry and never need a graphics context. Every flattening
// takes an explicit flatness in document units.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geom/Matrix.h"
#include "geom/Pen.h"
#include "geom/Pointf.h"

namespace geom {

enum PathPointType : std::uint8_t {
    PointStart = 0x00,
    PointLine = 0x01,
    PointBezier = 0x03,
    PointTypeMask = 0x07,
    PointCloseMark = 0x80,
};

enum class FillMode { Alternate, Winding };

// The flatness the area operations use unless a caller says otherwise.
inline constexpr float kDefaultFlatness = 0.25f;

// How far from the origin area operations reach, in document units (about
// 105 m): geometry beyond is clamped to this square. No board comes near it.
inline constexpr float kReach = 1048576.0f;
// Whether a rectangle leaves the reach of area operations (or is not finite).
bool BeyondReach(const RectF& r);

class GraphicsPath {
public:
    GraphicsPath() = default;
    explicit GraphicsPath(FillMode mode) : fillMode_(mode) {}

    void Reset();  // no figures, fill mode alternate
    FillMode GetFillMode() const { return fillMode_; }
    void SetFillMode(FillMode m) { fillMode_ = m; }

    // The next point added starts a new figure.
    void StartFigure() { newFigure_ = true; }
    // Marks the last point as closing its figure; the next point starts a new one.
    void CloseFigure();

    // pts holds 3k+1 points: a start point then k cubic segments. When the current
    // figure is open and its last point differs from pts[0], a line joins them.
    void AddBeziers(const PointF* pts, std::size_t n);
    void AddBezier(PointF p0, PointF p1, PointF p2, PointF p3);
    void AddLine(PointF a, PointF b);
    void AddLines(const PointF* pts, std::size_t n);
    // A closed figure of its own.
    void AddPolygon(const PointF* pts, std::size_t n);
    void AddRectangle(const RectF& r);
    void AddEllipse(const RectF& r);  // four cubic quarter arcs, closed
    // Appends the figures of another path; with connect, its first figure continues
    // the current open figure.
    void AddPath(const GraphicsPath& other, bool connect = false);

    void Transform(const Matrix& m);
    // Reverses the order of the points, keeping figures and their close marks.
    void Reverse();

    std::size_t PointCount() const { return points_.size(); }
    bool IsEmpty() const { return points_.empty(); }
    const std::vector<PointF>& Points() const { return points_; }
    const std::vector<std::uint8_t>& Types() const { return types_; }
    std::size_t FigureCount() const;

    // The smallest axis-parallel rectangle holding every point (control points
    // included); an empty path gives an empty rectangle at the origin.
    RectF GetBounds() const;

    // Every curve becomes straight segments within flatness of it; close marks stay.
    void Flatten(float flatness);
    // The path becomes the closed outline of its stroke with the pen's width,
    // joins, caps and dashes. The result is filled with the nonzero rule and the
    // fill mode becomes winding. False when the outline is degraded: a line
    // too tangled to unite (see WindingOutline) is left as overlapping pieces
    // that cover the same area under the nonzero rule.
    bool Widen(const Pen& pen, float flatness = kDefaultFlatness);
    // The path becomes the outline of the union of its figures under the
    // nonzero rule (its own fill mode is ignored). False, with the figures
    // only flattened and the fill mode winding, when they cross themselves so
    // often that uniting them would take far longer than their size warrants.
    bool WindingOutline(float flatness = kDefaultFlatness);

    // The point lies in the area under the path's fill mode (curves are measured
    // on a fine flattening).
    bool IsVisible(PointF p) const;

    // The flattened figures as closed polygons (every figure counts as closed for area purposes).
    std::vector<std::vector<PointF>> FlattenedPolygons(float flatness) const;

    bool operator==(const GraphicsPath&) const = default;

private:
    void AddPoint(PointF p, std::uint8_t kind);
    void BeginFigureAt(PointF p);

    std::vector<PointF> points_;
    std::vector<std::uint8_t> types_;
    FillMode fillMode_ = FillMode::Alternate;
    bool newFigure_ = true;
};

// The area of the path meets the rectangle; touching counts.
bool OutlineMeetsRect(const GraphicsPath& path, const RectF& rect);
// The areas of two paths meet; touching counts.
bool OutlinesMeet(const GraphicsPath& a, const GraphicsPath& b);
// Signed area of the path's area under its fill mode (positive), for tests and measurements.
double AreaOf(const GraphicsPath& path, float flatness = kDefaultFlatness);

}  // namespace geom
