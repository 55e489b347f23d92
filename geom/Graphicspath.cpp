#include "geom/Graphicspath.h"

#include <algorithm>
#include <limits>

namespace geom {

void GraphicsPath::Reset() {
    points_.clear();
    types_.clear();
    fillMode_ = FillMode::Alternate;
    newFigure_ = true;
}

void GraphicsPath::AddPoint(PointF p, std::uint8_t kind) {
    points_.push_back(p);
    types_.push_back(kind);
}

// Starts a figure at p, or joins p to the open figure with a line unless the
// figure already ends there.
void GraphicsPath::BeginFigureAt(PointF p) {
    if (newFigure_ || points_.empty()) {
        AddPoint(p, PointStart);
        newFigure_ = false;
    } else if (points_.back() != p) {
        AddPoint(p, PointLine);
    }
}

void GraphicsPath::CloseFigure() {
    if (!points_.empty() && !newFigure_) types_.back() |= PointCloseMark;
    newFigure_ = true;
}

void GraphicsPath::AddBeziers(const PointF* pts, std::size_t n) {
    if (n < 4 || (n - 1) % 3 != 0) return;
    BeginFigureAt(pts[0]);
    for (std::size_t i = 1; i < n; ++i) AddPoint(pts[i], PointBezier);
}

void GraphicsPath::AddBezier(PointF p0, PointF p1, PointF p2, PointF p3) {
    const PointF pts[4] = {p0, p1, p2, p3};
    AddBeziers(pts, 4);
}

void GraphicsPath::AddLine(PointF a, PointF b) {
    BeginFigureAt(a);
    AddPoint(b, PointLine);
}

void GraphicsPath::AddLines(const PointF* pts, std::size_t n) {
    if (n == 0) return;
    BeginFigureAt(pts[0]);
    for (std::size_t i = 1; i < n; ++i) AddPoint(pts[i], PointLine);
}

void GraphicsPath::AddPolygon(const PointF* pts, std::size_t n) {
    if (n == 0) return;
    newFigure_ = true;
    AddLines(pts, n);
    CloseFigure();
}

void GraphicsPath::AddRectangle(const RectF& r) {
    const PointF pts[4] = {
        {r.x, r.y}, {r.x + r.width, r.y}, {r.x + r.width, r.y + r.height}, {r.x, r.y + r.height}};
    AddPolygon(pts, 4);
}

void GraphicsPath::AddEllipse(const RectF& r) {
    // Four quarter arcs from the right-hand end of the horizontal axis, turning
    // towards +y first; the handle factor is that of a 90-degree arc.
    constexpr double k = 0.5522847498307936;
    const double cx = r.x + r.width / 2.0, cy = r.y + r.height / 2.0;
    const double rx = r.width / 2.0, ry = r.height / 2.0;
    auto P = [](double x, double y) { return PointF(float(x), float(y)); };
    const PointF pts[13] = {P(cx + rx, cy), P(cx + rx, cy + k * ry), P(cx + k * rx, cy + ry),
                            P(cx, cy + ry), P(cx - k * rx, cy + ry), P(cx - rx, cy + k * ry),
                            P(cx - rx, cy), P(cx - rx, cy - k * ry), P(cx - k * rx, cy - ry),
                            P(cx, cy - ry), P(cx + k * rx, cy - ry), P(cx + rx, cy - k * ry),
                            P(cx + rx, cy)};
    newFigure_ = true;
    AddBeziers(pts, 13);
    CloseFigure();
}

void GraphicsPath::AddPath(const GraphicsPath& other, bool connect) {
    if (other.points_.empty()) return;
    const bool join = connect && !newFigure_ && !points_.empty();
    const std::size_t first = points_.size();
    points_.insert(points_.end(), other.points_.begin(), other.points_.end());
    types_.insert(types_.end(), other.types_.begin(), other.types_.end());
    if (join) types_[first] = std::uint8_t((types_[first] & PointCloseMark) | PointLine);
    newFigure_ = other.newFigure_;
}

void GraphicsPath::Transform(const Matrix& m) {
    m.TransformPoints(points_.data(), points_.size());
}

void GraphicsPath::Reverse() {
    std::vector<PointF> pts;
    std::vector<std::uint8_t> types;
    pts.reserve(points_.size());
    types.reserve(types_.size());
    // Figures are visited last to first; within a figure the kind of a point
    // names the segment that ends at it, so kinds shift by one on reversal.
    std::size_t end = points_.size();
    while (end > 0) {
        std::size_t start = end - 1;
        while (start > 0 && (types_[start] & PointTypeMask) != PointStart) --start;
        const bool closed = (types_[end - 1] & PointCloseMark) != 0;
        for (std::size_t j = 0; j < end - start; ++j) {
            const std::size_t src = end - 1 - j;
            pts.push_back(points_[src]);
            types.push_back(j == 0 ? std::uint8_t(PointStart)
                                   : std::uint8_t(types_[src + 1] & PointTypeMask));
        }
        if (closed) types.back() |= PointCloseMark;
        end = start;
    }
    points_ = std::move(pts);
    types_ = std::move(types);
}

std::size_t GraphicsPath::FigureCount() const {
    return std::size_t(std::count_if(types_.begin(), types_.end(),
                                     [](std::uint8_t t) { return (t & PointTypeMask) == PointStart; }));
}

RectF GraphicsPath::GetBounds() const {
    if (points_.empty()) return {};
    float l = std::numeric_limits<float>::max(), t = l;
    float r = -l, b = -l;
    for (const PointF& p : points_) {
        l = std::min(l, p.x);
        t = std::min(t, p.y);
        r = std::max(r, p.x);
        b = std::max(b, p.y);
    }
    return {l, t, r - l, b - t};
}

}  // namespace geom
