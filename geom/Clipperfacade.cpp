#include "geom/Clipperfacade.h"

#include <algorithm>
#include <cmath>

namespace geom::detail {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

cInt ToClipper(double v) {
    constexpr double kLimit = 1e9;
    if (!std::isfinite(v)) v = 0.0;
    v = std::clamp(v, -kLimit, kLimit);
    return cInt(std::llround(v * kClipperScale));
}

Path ToClipper(const std::vector<PointF>& pts) {
    Path out;
    out.reserve(pts.size());
    for (const PointF& p : pts) {
        IntPoint ip(ToClipper(p.x), ToClipper(p.y));
        if (out.empty() || !(out.back() == ip)) out.push_back(ip);
    }
    return out;
}

std::vector<Polyline> FlattenToPolylines(const GraphicsPath& path, float flatness) {
    GraphicsPath flat = path;
    flat.Flatten(flatness);
    std::vector<Polyline> out;
    const auto& pts = flat.Points();
    const auto& types = flat.Types();
    for (std::size_t i = 0; i < pts.size(); ++i) {
        if ((types[i] & PointTypeMask) == PointStart || out.empty()) out.emplace_back();
        out.back().points.push_back(pts[i]);
        if (types[i] & PointCloseMark) out.back().closed = true;
    }
    return out;
}

void AppendPolygons(const Paths& polys, GraphicsPath& out) {
    std::vector<PointF> pts;
    for (const Path& poly : polys) {
        if (poly.size() < 3) continue;
        pts.clear();
        pts.reserve(poly.size());
        for (const IntPoint& ip : poly)
            pts.emplace_back(float(double(ip.X) / kClipperScale), float(double(ip.Y) / kClipperScale));
        out.AddPolygon(pts.data(), pts.size());
    }
}

Paths Union(const Paths& polys, ClipperLib::PolyFillType rule) {
    Paths result;
    try {
        ClipperLib::Clipper c;
        c.AddPaths(polys, ClipperLib::ptSubject, true);
        c.Execute(ClipperLib::ctUnion, result, rule, rule);
    } catch (...) {
        // Clipper reports range faults by throwing; an unusable input gives no area.
        result.clear();
    }
    return result;
}

}  // namespace geom::detail
