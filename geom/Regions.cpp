#include "geom/Regions.h"

#include <polyclipping/clipper.hpp>

namespace geom {

namespace {

// Clipper units per document unit; as in the rest of geom/, 1/1024 of a unit
// is far below any plotter's resolution.
constexpr double kScale = 1024.0;
constexpr double kReach = 1.0e7;  // units: 1 km, beyond any board

ClipperLib::cInt ToInt(float v) {
    double d = double(v);
    if (!(d == d)) d = 0.0;
    if (d > kReach) d = kReach;
    if (d < -kReach) d = -kReach;
    return ClipperLib::cInt(d * kScale + (d < 0 ? -0.5 : 0.5));
}

void Emit(const ClipperLib::PolyNode& node, int depth, std::vector<Contour>& out) {
    Contour c;
    c.hole = node.IsHole();
    c.depth = depth;
    c.points.reserve(node.Contour.size());
    for (const ClipperLib::IntPoint& p : node.Contour)
        c.points.emplace_back(float(double(p.X) / kScale), float(double(p.Y) / kScale));
    out.push_back(std::move(c));
}

}  // namespace

std::vector<Contour> UnionContours(const GraphicsPath& path, float flatness) {
    ClipperLib::Paths polygons;
    for (const std::vector<PointF>& polygon : path.FlattenedPolygons(flatness)) {
        if (polygon.size() < 3) continue;
        ClipperLib::Path p;
        p.reserve(polygon.size());
        for (const PointF& q : polygon) p.emplace_back(ToInt(q.x), ToInt(q.y));
        polygons.push_back(std::move(p));
    }
    std::vector<Contour> out;
    if (polygons.empty()) return out;
    ClipperLib::Clipper clipper;
    clipper.AddPaths(polygons, ClipperLib::ptSubject, true);
    ClipperLib::PolyTree tree;
    if (!clipper.Execute(ClipperLib::ctUnion, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero))
        return out;

    // Depth first with a stack of our own: an outer contour, then its holes,
    // then the islands of each hole.
    std::vector<std::pair<const ClipperLib::PolyNode*, int>> pending;
    for (int i = tree.ChildCount() - 1; i >= 0; --i) pending.emplace_back(tree.Childs[std::size_t(i)], 0);
    while (!pending.empty()) {
        const auto [outer, depth] = pending.back();
        pending.pop_back();
        Emit(*outer, depth, out);
        for (const ClipperLib::PolyNode* hole : outer->Childs) Emit(*hole, depth, out);
        for (auto h = outer->Childs.rbegin(); h != outer->Childs.rend(); ++h)
            for (int i = (*h)->ChildCount() - 1; i >= 0; --i)
                pending.emplace_back((*h)->Childs[std::size_t(i)], depth + 1);
    }
    return out;
}

}  // namespace geom
