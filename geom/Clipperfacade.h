#pragma once
// The one boundary between document geometry and Clipper's integer world.
// Private to geom/: nothing outside this folder includes clipper.hpp.
//
// Scale: one document unit (0.1 mm) is 1024 Clipper units, so a coordinate
// keeps about 0.001 units of precision and a board of +-10 m (+-100 000 units)
// stays near 1.0e8, well inside Clipper's fast 32-bit-safe range. Converting
// rounds to nearest; values that are not finite or lie beyond +-1e9 units are
// clamped so that no conversion can overflow.

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
ClipperLib::Path ToClipper(const std::vector<PointF>& pts);
// Each figure of the flattened path, with its close mark.
std::vector<Polyline> FlattenToPolylines(const GraphicsPath& path, float flatness);
// Appends each polygon as a closed figure of straight edges.
void AppendPolygons(const ClipperLib::Paths& polys, GraphicsPath& out);
// Union of the polygons under the given rule; empty on failure.
ClipperLib::Paths Union(const ClipperLib::Paths& polys, ClipperLib::PolyFillType rule);

}  // namespace geom::detail
