#include "geom/Clipperfacade.h"

#include <algorithm>
#include <cmath>

namespace geom::detail {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

cInt ToClipper(double v) {
    if (!std::isfinite(v)) v = 0.0;
    v = std::clamp(v, -double(kReach), double(kReach));
    return cInt(std::llround(v * kClipperScale));
}

namespace {

// Crossings of centrelines above this make a union of their outlines cost
// seconds (each crossing becomes several of the outlines, with the arcs of
// round joins among them).
constexpr double kCrossingBudget = 1 << 15;

// Crossings one polyline of total length L scattered over a square of side s
// has with itself: about L^2 / (pi s^2) when its edges run in random
// directions, never more than every pair of its edges. The square is that of
// the middle 90 % of its points in each axis, so that a few points far away
// cannot hide a dense scribble, and coordinates are taken as Clipper will see
// them (clamped into the reach). A closed figure that goes round once scores
// about pi, a tight meander a few dozen: only far more counts.
double SelfCrossings(const std::vector<PointF>& pts) {
    const double n = double(pts.size());
    if (n * n / 2.0 <= kCrossingBudget / 8.0) return 0.0;
    const auto clamp = [](float v) {
        return std::isfinite(v) ? std::clamp(double(v), -double(kReach), double(kReach)) : 0.0;
    };
    std::vector<double> xs, ys;
    xs.reserve(pts.size());
    ys.reserve(pts.size());
    for (const PointF& p : pts) {
        xs.push_back(clamp(p.x));
        ys.push_back(clamp(p.y));
    }
    std::vector<double> sx = xs, sy = ys;
    const auto spread = [](std::vector<double>& v, double& lo, double& hi) {
        const std::size_t a = v.size() / 20, b = v.size() - 1 - v.size() / 20;
        std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(a), v.end());
        lo = v[a];
        std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(b), v.end());
        hi = v[b];
    };
    double x0, x1, y0, y1;
    spread(sx, x0, x1);
    spread(sy, y0, y1);
    const auto inside = [&](std::size_t i) { return xs[i] >= x0 && xs[i] <= x1 && ys[i] >= y0 && ys[i] <= y1; };
    double length = 0.0;
    for (std::size_t i = 1; i < pts.size(); ++i)
        if (inside(i - 1) && inside(i)) length += std::hypot(xs[i] - xs[i - 1], ys[i] - ys[i - 1]);
    const double ratio = length / std::max(x1 - x0, y1 - y0);
    const double crossings = ratio * ratio / M_PI;
    // A heap of coincident points (0 / 0) is no tangle.
    return crossings > 64.0 ? std::min(crossings, n * n / 2.0) : 0.0;
}

}  // namespace

bool TooTangledToUnite(const std::vector<Polyline>& lines) {
    double crossings = 0.0;
    for (const Polyline& line : lines) crossings += SelfCrossings(line.points);
    return crossings > kCrossingBudget;
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
