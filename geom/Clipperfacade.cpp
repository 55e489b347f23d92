#include "geom/Clipperfacade.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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
    const auto inside = [&](std::size_t i) {
        return xs[i] >= x0 && xs[i] <= x1 && ys[i] >= y0 && ys[i] <= y1;
    };
    double length = 0.0;
    for (std::size_t i = 1; i < pts.size(); ++i)
        if (inside(i - 1) && inside(i)) length += std::hypot(xs[i] - xs[i - 1], ys[i] - ys[i - 1]);
    const double ratio = length / std::max(x1 - x0, y1 - y0);
    const double crossings = ratio * ratio / M_PI;
    // A heap of coincident points (0 / 0) is no tangle.
    return crossings > 64.0 ? std::min(crossings, n * n / 2.0) : 0.0;
}

}  // namespace

// The estimate above can be fooled by how the points are spread. This counts
// the crossings of the edges for real, cell by cell of a grid, and gives up,
// calling the lines tangled, as soon as they pass the budget or the counting
// itself would cost more than a union is allowed to.
static bool CountedTooTangled(const std::vector<Polyline>& lines) {
    struct Edge {
        double x0, y0, x1, y1;
    };
    const auto clamp = [](float v) {
        return std::isfinite(v) ? std::clamp(double(v), -double(kReach), double(kReach)) : 0.0;
    };
    std::vector<Edge> edges;
    for (const Polyline& line : lines) {
        const std::size_t n = line.points.size();
        for (std::size_t i = 1; i < n + (line.closed ? 1 : 0); ++i) {
            const PointF a = line.points[i - 1], b = line.points[i % n];
            edges.push_back({clamp(a.x), clamp(a.y), clamp(b.x), clamp(b.y)});
        }
    }
    const std::size_t m = edges.size();
    if (double(m) * double(m) / 2.0 <= kCrossingBudget) return false;
    double left = edges[0].x0, right = left, top = edges[0].y0, bottom = top;
    for (const Edge& e : edges) {
        left = std::min({left, e.x0, e.x1});
        right = std::max({right, e.x0, e.x1});
        top = std::min({top, e.y0, e.y1});
        bottom = std::max({bottom, e.y0, e.y1});
    }
    const int g = int(std::clamp(std::sqrt(double(m)), 1.0, 1024.0));
    const double cw = std::max(right - left, 1e-9) / g, ch = std::max(bottom - top, 1e-9) / g;
    const auto column = [&](double x) { return std::clamp(int((x - left) / cw), 0, g - 1); };
    const auto row = [&](double y) { return std::clamp(int((y - top) / ch), 0, g - 1); };
    std::vector<std::vector<std::uint32_t>> cells(std::size_t(g) * std::size_t(g));
    constexpr double kWork = 2.0e7;  // cell entries and pair tests, together
    double work = 0.0;
    for (std::size_t k = 0; k < m; ++k) {
        const Edge& e = edges[k];
        const int c0 = column(std::min(e.x0, e.x1)), c1 = column(std::max(e.x0, e.x1));
        const int r0 = row(std::min(e.y0, e.y1)), r1 = row(std::max(e.y0, e.y1));
        work += double(c1 - c0 + 1) * double(r1 - r0 + 1);
        if (work > kWork) return true;
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                cells[std::size_t(r) * std::size_t(g) + std::size_t(c)].push_back(std::uint32_t(k));
    }
    const auto side = [](const Edge& e, double x, double y) {
        const double v = (e.x1 - e.x0) * (y - e.y0) - (e.y1 - e.y0) * (x - e.x0);
        return v > 0 ? 1 : v < 0 ? -1 : 0;
    };
    double crossings = 0.0;
    for (const std::vector<std::uint32_t>& cell : cells) {
        work += double(cell.size()) * double(cell.size()) / 2.0;
        if (work > kWork) return true;
        for (std::size_t i = 0; i < cell.size(); ++i)
            for (std::size_t j = i + 1; j < cell.size(); ++j) {
                const Edge& a = edges[cell[i]];
                const Edge& b = edges[cell[j]];
                // Proper crossings only: neighbours along a line share a point and do not count.
                if (side(a, b.x0, b.y0) * side(a, b.x1, b.y1) < 0 &&
                    side(b, a.x0, a.y0) * side(b, a.x1, a.y1) < 0)
                    crossings += 1.0;
            }
        if (crossings > kCrossingBudget) return true;
    }
    return false;
}

bool TooTangledToUnite(const std::vector<Polyline>& lines) {
    double crossings = 0.0;
    for (const Polyline& line : lines) crossings += SelfCrossings(line.points);
    return crossings > kCrossingBudget || CountedTooTangled(lines);
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
