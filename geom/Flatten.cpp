#include <algorithm>
#include <cmath>

#include "geom/Graphicspath.h"

namespace geom {

namespace {

// Number of uniform steps that keep a cubic within flatness f of its chords:
// the deviation of n equal chords is at most max|B''| / (8 n^2), and
// |B''| <= 6 * max(|P0 - 2P1 + P2|, |P1 - 2P2 + P3|).
int BezierSteps(PointF p0, PointF p1, PointF p2, PointF p3, float f) {
    const double ax = double(p0.x) - 2.0 * p1.x + p2.x, ay = double(p0.y) - 2.0 * p1.y + p2.y;
    const double bx = double(p1.x) - 2.0 * p2.x + p3.x, by = double(p1.y) - 2.0 * p2.y + p3.y;
    const double dd = std::max(std::hypot(ax, ay), std::hypot(bx, by));
    if (!(dd > 0.0)) return 1;
    const double tol = f > 0.0f ? double(f) : 0.25;
    const double n = std::ceil(std::sqrt(0.75 * dd / tol));
    if (!std::isfinite(n)) return 1;
    // Beyond the reach of area operations geometry is clamped anyway and float
    // coordinates hold no fine detail: a few steps show its course, and a
    // damaged file's curves a light year long cost no more than short ones.
    const double far = std::max({std::fabs(p0.x), std::fabs(p0.y), std::fabs(p1.x), std::fabs(p1.y),
                                 std::fabs(p2.x), std::fabs(p2.y), std::fabs(p3.x), std::fabs(p3.y)});
    return int(std::clamp(n, 1.0, far > double(kReach) ? 16.0 : 4096.0));
}

PointF BezierAt(PointF p0, PointF p1, PointF p2, PointF p3, double t) {
    const double u = 1.0 - t;
    const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
    return {float(b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x),
            float(b0 * p0.y + b1 * p1.y + b2 * p2.y + b3 * p3.y)};
}

}  // namespace

void GraphicsPath::Flatten(float flatness) {
    std::vector<PointF> pts;
    std::vector<std::uint8_t> types;
    pts.reserve(points_.size());
    types.reserve(types_.size());
    const std::size_t n = points_.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t kind = types_[i] & PointTypeMask;
        if (kind == PointBezier && i + 2 < n && i > 0 && (types_[i + 1] & PointTypeMask) == PointBezier &&
            (types_[i + 2] & PointTypeMask) == PointBezier) {
            const PointF p0 = points_[i - 1], p1 = points_[i], p2 = points_[i + 1], p3 = points_[i + 2];
            const int steps = BezierSteps(p0, p1, p2, p3, flatness);
            for (int s = 1; s < steps; ++s) {
                pts.push_back(BezierAt(p0, p1, p2, p3, double(s) / steps));
                types.push_back(PointLine);
            }
            pts.push_back(p3);
            types.push_back(std::uint8_t(PointLine | (types_[i + 2] & PointCloseMark)));
            i += 2;
            continue;
        }
        pts.push_back(points_[i]);
        types.push_back(kind == PointStart ? types_[i]
                                           : std::uint8_t(PointLine | (types_[i] & PointCloseMark)));
    }
    points_ = std::move(pts);
    types_ = std::move(types);
}

std::vector<std::vector<PointF>> GraphicsPath::FlattenedPolygons(float flatness) const {
    const bool hasCurves = std::any_of(types_.begin(), types_.end(),
                                       [](std::uint8_t t) { return (t & PointTypeMask) == PointBezier; });
    GraphicsPath flat;
    const GraphicsPath* src = this;
    if (hasCurves) {
        flat = *this;
        flat.Flatten(flatness);
        src = &flat;
    }
    std::vector<std::vector<PointF>> out;
    for (std::size_t i = 0; i < src->points_.size(); ++i) {
        if ((src->types_[i] & PointTypeMask) == PointStart || out.empty()) out.emplace_back();
        out.back().push_back(src->points_[i]);
    }
    return out;
}

}  // namespace geom
