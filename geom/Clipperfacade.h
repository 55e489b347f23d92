#pragma once
// The one boundary between document geometry and Clipper's integer world.
// Private to geom/: nothing outside this folder includes clipper.hpp.
//
// Scale: one document unit (0.1 mm) is 1024 Clipper units, so a coordinate
// keeps about 0.001 units of precision and a board of +-10 m (+-100 000 units)
// stays near 1.0e8, well inside Clipper's fast 32-bit-safe range. Converting
// rounds to nearest; values that are not finite become 0 and values beyond
// kReach are clamped to it, so every area operation stays in that fast range
// (beyond it Clipper's wide arithmetic and the coarse float coordinates of such
// far geometry make unions crawl), whatever a file claims.

#include <polyclipping/clipper.hpp>

#include <vector>

#include "geom/Graphicspath.h"

namespace geom::detail {

inline constexpr double kClipperScale = 1024.0;

struct Polyline {
    std::vector<PointF> points;
    bool closed = false;
};

ClipperLib::cInt ToClipper(double v);
// Whether uniting these polylines' outlines would cost far more than their
// size: they cross themselves so often (a long line scribbled back and forth
// over a small area) that a sweep would meet about the square of their edges.
// Estimated in linear time from total length against the extent of the bulk
// of the points.
bool TooTangledToUnite(const std::vector<Polyline>& lines);
ClipperLib::Path ToClipper(const std::vector<PointF>& pts);
// Each figure of the flattened path, with its close mark.
std::vector<Polyline> FlattenToPolylines(const GraphicsPath& path, float flatness);
// Appends each polygon as a closed figure of straight edges.
void AppendPolygons(const ClipperLib::Paths& polys, GraphicsPath& out);
// Union of the polygons under the given rule; empty on failure.
ClipperLib::Paths Union(const ClipperLib::Paths& polys, ClipperLib::PolyFillType rule);

}  // namespace geom::detail
