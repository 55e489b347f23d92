// Exact area relations on flattened outlines. An edge of an outline always has
// filled area on at least one side (crossing an edge changes the winding number
// by one), so "an edge touches X" means "the area touches X".

#include <algorithm>
#include <cmath>

#include "geom/Graphicspath.h"

namespace geom {

namespace {

// Curves are measured on a fine flattening; outlines built by widening or the
// winding outline hold straight edges only and are used as they are.
constexpr float kMeasureFlatness = 0.01f;

struct Box {
    double l, t, r, b;
    bool Meets(const Box& o) const { return l <= o.r && o.l <= r && t <= o.b && o.t <= b; }
};

Box BoxOf(PointF a, PointF b) {
    return {std::min<double>(a.x, b.x), std::min<double>(a.y, b.y), std::max<double>(a.x, b.x),
            std::max<double>(a.y, b.y)};
}

double Cross(double ax, double ay, double bx, double by) {
    return ax * by - ay * bx;
}

// Orientation of c relative to the line a->b: >0, <0 or 0.
double Orient(PointF a, PointF b, PointF c) {
    return Cross(double(b.x) - a.x, double(b.y) - a.y, double(c.x) - a.x, double(c.y) - a.y);
}

bool OnSegment(PointF a, PointF b, PointF p) {
    return Orient(a, b, p) == 0.0 && std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) &&
           std::min(a.y, b.y) <= p.y && p.y <= std::max(a.y, b.y);
}

// Closed segments meet (touching and collinear overlap count).
bool SegmentsMeet(PointF a, PointF b, PointF c, PointF d) {
    const double d1 = Orient(c, d, a), d2 = Orient(c, d, b), d3 = Orient(a, b, c), d4 = Orient(a, b, d);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return true;
    return OnSegment(c, d, a) || OnSegment(c, d, b) || OnSegment(a, b, c) || OnSegment(a, b, d);
}

// Closed segment meets closed box (Liang-Barsky clipping).
bool SegmentMeetsBox(PointF a, PointF b, const Box& box) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {double(a.x) - box.l, box.r - a.x, double(a.y) - box.t, box.b - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
        } else {
            const double t = q[i] / p[i];
            if (p[i] < 0.0) {
                if (t > t1) return false;
                t0 = std::max(t0, t);
            } else {
                if (t < t0) return false;
                t1 = std::min(t1, t);
            }
        }
    }
    return t0 <= t1;
}

using Polygons = std::vector<std::vector<PointF>>;

// Inside under the fill rule, or on an edge.
bool Contains(const Polygons& polys, FillMode mode, PointF p) {
    int winding = 0;
    int crossings = 0;
    for (const auto& poly : polys) {
        const std::size_t n = poly.size();
        for (std::size_t i = 0; i < n; ++i) {
            const PointF a = poly[i], b = poly[(i + 1) % n];
            if (OnSegment(a, b, p)) return true;
            if (a.y <= p.y) {
                if (b.y > p.y && Orient(a, b, p) > 0) {
                    ++winding;
                    ++crossings;
                }
            } else if (b.y <= p.y && Orient(a, b, p) < 0) {
                --winding;
                ++crossings;
            }
        }
    }
    return mode == FillMode::Winding ? winding != 0 : (crossings % 2) != 0;
}

Box BoundsOf(const std::vector<PointF>& poly) {
    Box b{poly[0].x, poly[0].y, poly[0].x, poly[0].y};
    for (const PointF& p : poly) {
        b.l = std::min<double>(b.l, p.x);
        b.t = std::min<double>(b.t, p.y);
        b.r = std::max<double>(b.r, p.x);
        b.b = std::max<double>(b.b, p.y);
    }
    return b;
}

}  // namespace

bool GraphicsPath::IsVisible(PointF p) const {
    return Contains(FlattenedPolygons(kMeasureFlatness), fillMode_, p);
}

bool OutlineMeetsRect(const GraphicsPath& path, const RectF& rect) {
    const Box box{std::min(rect.Left(), rect.Right()), std::min(rect.Top(), rect.Bottom()),
                  std::max(rect.Left(), rect.Right()), std::max(rect.Top(), rect.Bottom())};
    const Polygons polys = path.FlattenedPolygons(kMeasureFlatness);
    for (const auto& poly : polys) {
        const std::size_t n = poly.size();
        if (n == 0 || !BoundsOf(poly).Meets(box)) continue;
        for (std::size_t i = 0; i < n; ++i)
            if (SegmentMeetsBox(poly[i], poly[(i + 1) % n], box)) return true;
    }
    // No edge touches the rectangle: it lies wholly inside or wholly outside.
    const PointF centre{float((box.l + box.r) / 2.0), float((box.t + box.b) / 2.0)};
    return Contains(polys, path.GetFillMode(), centre);
}

bool OutlinesMeet(const GraphicsPath& a, const GraphicsPath& b) {
    const Polygons pa = a.FlattenedPolygons(kMeasureFlatness);
    const Polygons pb = b.FlattenedPolygons(kMeasureFlatness);
    std::vector<Box> boxesB;
    boxesB.reserve(pb.size());
    for (const auto& poly : pb) boxesB.push_back(poly.empty() ? Box{1, 1, 0, 0} : BoundsOf(poly));
    for (const auto& polyA : pa) {
        if (polyA.empty()) continue;
        const Box boxA = BoundsOf(polyA);
        for (std::size_t j = 0; j < pb.size(); ++j) {
            const auto& polyB = pb[j];
            if (polyB.empty() || !boxA.Meets(boxesB[j])) continue;
            const std::size_t na = polyA.size(), nb = polyB.size();
            for (std::size_t i = 0; i < na; ++i) {
                const PointF a0 = polyA[i], a1 = polyA[(i + 1) % na];
                const Box ea = BoxOf(a0, a1);
                if (!ea.Meets(boxesB[j])) continue;
                for (std::size_t k = 0; k < nb; ++k) {
                    const PointF b0 = polyB[k], b1 = polyB[(k + 1) % nb];
                    if (ea.Meets(BoxOf(b0, b1)) && SegmentsMeet(a0, a1, b0, b1)) return true;
                }
            }
        }
    }
    // No edges meet: every figure lies wholly inside or outside the other area.
    for (const auto& poly : pa)
        if (!poly.empty() && Contains(pb, b.GetFillMode(), poly[0])) return true;
    for (const auto& poly : pb)
        if (!poly.empty() && Contains(pa, a.GetFillMode(), poly[0])) return true;
    return false;
}

}  // namespace geom
