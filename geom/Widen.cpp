// Stroke outlines and winding outlines through Clipper.

#include <algorithm>
#include <cmath>

#include "geom/Clipperfacade.h"

namespace geom {

using ClipperLib::Path;
using ClipperLib::Paths;
using detail::kClipperScale;
using detail::Polyline;
using detail::ToClipper;

namespace {

struct DPoint {
    double x, y;
};

// Arc tolerance of round joins and caps: a tenth of the flatness keeps small
// round lands visibly round at high zoom while costing few vertices.
double ArcTolerance(float flatness) {
    const double f = flatness > 0.0f ? double(flatness) : double(kDefaultFlatness);
    return std::max(f * 0.1 * kClipperScale, 1.0);
}

ClipperLib::JoinType ToJoin(int join) {
    switch (join) {
        case JoinMiter:
        case JoinMiterClipped:
            return ClipperLib::jtMiter;
        case JoinBevel:
            return ClipperLib::jtSquare;
        default:
            return ClipperLib::jtRound;
    }
}

Path ToPath(const std::vector<DPoint>& pts) {
    Path out;
    out.reserve(pts.size());
    for (const DPoint& p : pts) {
        ClipperLib::IntPoint ip(ToClipper(p.x), ToClipper(p.y));
        if (out.empty() || !(out.back() == ip)) out.push_back(ip);
    }
    return out;
}

// Douglas-Peucker: drops the points of p that lie within tol of the line their
// kept neighbours span; the ends stay. Offsetting the result by r moves the
// outline by at most tol, which the arc tolerance already allows.
Path Simplify(const Path& p, double tol) {
    if (p.size() < 3) return p;
    std::vector<char> keep(p.size(), 0);
    keep.front() = keep.back() = 1;
    std::vector<std::pair<std::size_t, std::size_t>> spans{{0, p.size() - 1}};
    while (!spans.empty()) {
        const auto [a, b] = spans.back();
        spans.pop_back();
        if (b <= a + 1) continue;
        const double ax = double(p[a].X), ay = double(p[a].Y);
        const double dx = double(p[b].X) - ax, dy = double(p[b].Y) - ay;
        const double len = std::hypot(dx, dy);
        double worst = -1.0;
        std::size_t at = a;
        for (std::size_t i = a + 1; i < b; ++i) {
            const double px = double(p[i].X) - ax, py = double(p[i].Y) - ay;
            const double d = len > 0.0 ? std::fabs(px * dy - py * dx) / len : std::hypot(px, py);
            if (d > worst) worst = d, at = i;
        }
        if (worst <= tol) continue;
        keep[at] = 1;
        spans.emplace_back(a, at);
        spans.emplace_back(at, b);
    }
    Path out;
    for (std::size_t i = 0; i < p.size(); ++i)
        if (keep[i]) out.push_back(p[i]);
    return out;
}

// Lines of more points than this are offset in pieces (see OffsetInPieces).
constexpr std::size_t kPiecePoints = 256;

// Offsets a long line in overlapping pieces with butt ends, each unioned on its
// own, and adds the outlines to out. Under a pen much wider than the spacing of
// its points, the joins of one long line overlap each other everywhere and
// Clipper's union of them grows with the square of the point count; pieces keep
// that cost to each piece. Each piece shares its last segment with the next,
// so every join lies inside one piece and the butt ends inside the neighbour's
// stroke: the pieces cover exactly what the whole line would. A closed line
// runs on past its start to include the join there.
void OffsetInPieces(Path line, bool closed, ClipperLib::JoinType jt, double miterLimit, double arcTol,
                    double delta, Paths& out) {
    if (closed && line.size() >= 2) {
        line.push_back(line[0]);
        line.push_back(line[1]);
    }
    for (std::size_t start = 0; start + 1 < line.size();) {
        const std::size_t end = std::min(start + kPiecePoints, line.size() - 1);
        ClipperLib::ClipperOffset co(miterLimit, arcTol);
        co.AddPath(Path(line.begin() + std::ptrdiff_t(start), line.begin() + std::ptrdiff_t(end) + 1), jt,
                   ClipperLib::etOpenButt);
        Paths piece;
        co.Execute(piece, delta);
        out.insert(out.end(), piece.begin(), piece.end());
        if (end == line.size() - 1) break;
        start = end - 1;
    }
}

void MakePositive(Path& p) {
    if (!ClipperLib::Orientation(p)) std::reverse(p.begin(), p.end());
}

// The shape a cap adds beyond the end point e of a stroke leaving in direction d
// (unit vector pointing away from the line); r is half the pen width.
void AddCapShape(int cap, DPoint e, DPoint d, double r, double arcTol, Paths& out) {
    const DPoint n{-d.y, d.x};
    std::vector<DPoint> poly;
    switch (cap) {
        case CapSquare:
            poly = {{e.x + n.x * r, e.y + n.y * r},
                    {e.x + n.x * r + d.x * r, e.y + n.y * r + d.y * r},
                    {e.x - n.x * r + d.x * r, e.y - n.y * r + d.y * r},
                    {e.x - n.x * r, e.y - n.y * r}};
            break;
        case CapTriangle:
            poly = {{e.x + n.x * r, e.y + n.y * r},
                    {e.x + d.x * r, e.y + d.y * r},
                    {e.x - n.x * r, e.y - n.y * r}};
            break;
        case CapRound: {
            const double rs = r * kClipperScale;
            const double step = rs > arcTol ? 2.0 * std::acos(1.0 - arcTol / rs) : M_PI / 2.0;
            const int steps = std::clamp(int(std::ceil(2.0 * M_PI / step)), 8, 4096);
            for (int i = 0; i < steps; ++i) {
                const double a = 2.0 * M_PI * i / steps;
                poly.push_back({e.x + r * std::cos(a), e.y + r * std::sin(a)});
            }
            break;
        }
        default:
            return;
    }
    Path p = ToPath(poly);
    if (p.size() < 3) return;
    MakePositive(p);
    out.push_back(std::move(p));
}

DPoint Unit(DPoint from, DPoint to) {
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double len = std::hypot(dx, dy);
    if (!(len > 0.0)) return {1.0, 0.0};
    return {dx / len, dy / len};
}

// Splits a polyline into dashes; lengths are in document units.
std::vector<std::vector<DPoint>> SplitDashes(const std::vector<DPoint>& pts,
                                             const std::vector<double>& pattern) {
    std::vector<std::vector<DPoint>> dashes;
    std::size_t k = 0;         // pattern entry
    double left = pattern[0];  // length left in the entry
    bool on = true;
    std::vector<DPoint> cur{pts[0]};
    for (std::size_t i = 1; i < pts.size(); ++i) {
        DPoint a = pts[i - 1];
        const DPoint b = pts[i];
        double seg = std::hypot(b.x - a.x, b.y - a.y);
        while (seg > 0.0) {
            if (seg < left) {
                left -= seg;
                if (on) cur.push_back(b);
                seg = 0.0;
            } else {
                const double t = left / seg;
                const DPoint m{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
                if (on) {
                    cur.push_back(m);
                    dashes.push_back(std::move(cur));
                    cur.clear();
                } else {
                    cur = {m};
                }
                on = !on;
                seg -= left;
                a = m;
                k = (k + 1) % pattern.size();
                left = pattern[k];
            }
        }
    }
    if (on && cur.size() >= 2) dashes.push_back(std::move(cur));
    return dashes;
}

}  // namespace

bool GraphicsPath::Widen(const Pen& pen, float flatness) {
    const std::vector<Polyline> lines = detail::FlattenToPolylines(*this, flatness);
    Reset();
    fillMode_ = FillMode::Winding;
    if (!(pen.width > 0.0f) || !std::isfinite(pen.width)) return true;
    // The pieces of a tangled line already cover its stroke under the nonzero
    // rule; uniting them would meet every crossing.
    const bool tangled = detail::TooTangledToUnite(lines);

    const double r = pen.width / 2.0;
    // Wide pens get a proportionally coarser arc tolerance, so that no pen width
    // (however damaged the file that gave it) asks for millions of arc vertices.
    const double arcTol = std::max(ArcTolerance(flatness), r * kClipperScale * 1e-3);
    // For such a pen, detail of the line finer than the arc tolerance cannot show
    // in the outline; dropping it first keeps a long flattened curve under a huge
    // pen from making Clipper untangle millions of overlapping joins.
    const bool simplify = arcTol > ArcTolerance(flatness);
    const ClipperLib::JoinType jt = ToJoin(pen.join);
    std::vector<double> pattern;
    for (float v : pen.EffectiveDashPattern()) pattern.push_back(std::max(0.0, double(v) * pen.width));
    double patternSum = 0.0;
    for (double v : pattern) patternSum += v;
    const bool dashed = !pattern.empty() && patternSum > 0.0 && pattern[0] > 0.0;

    Paths extra;  // cap shapes and dots, united with the offset strokes
    Paths strokes;
    try {
        ClipperLib::ClipperOffset co(std::max(2.0, double(pen.miterLimit)), arcTol);
        for (const Polyline& line : lines) {
            std::vector<DPoint> pts;
            pts.reserve(line.points.size() + 1);
            for (const PointF& p : line.points) pts.push_back({p.x, p.y});
            const Path ip = simplify && !dashed ? Simplify(ToPath(pts), arcTol) : ToPath(pts);
            if (ip.empty()) continue;
            if (ip.size() == 1) {
                // A stroke of zero length shows as a dot of its cap's shape.
                if (!line.closed && (pen.startCap == CapRound || pen.startCap == CapSquare))
                    AddCapShape(pen.startCap, pts[0], {1.0, 0.0}, r, arcTol, extra);
                if (!line.closed && pen.startCap == CapSquare)
                    AddCapShape(CapSquare, pts[0], {-1.0, 0.0}, r, arcTol, extra);
                continue;
            }
            double lineLength = 0.0;
            for (std::size_t i = 1; i < pts.size(); ++i)
                lineLength += std::hypot(pts[i].x - pts[i - 1].x, pts[i].y - pts[i - 1].y);
            // Dashes far too fine to see (a hair-thin pen along a long line) would
            // cost a piece each: such a line is drawn solid.
            if (dashed && lineLength / patternSum < 5000.0) {
                if (line.closed) pts.push_back(pts.front());
                const auto dashes = SplitDashes(pts, pattern);
                const auto et = pen.dashCap == CapRound    ? ClipperLib::etOpenRound
                                : pen.dashCap == CapSquare ? ClipperLib::etOpenSquare
                                                           : ClipperLib::etOpenButt;
                for (const auto& d : dashes) {
                    const Path dp = ToPath(d);
                    if (dp.size() >= 2) co.AddPath(dp, jt, et);
                }
                if (!line.closed && !dashes.empty()) {
                    // The line's own caps sit where its first and last dashes meet its ends.
                    const DPoint s = dashes.front().front(), e = dashes.back().back();
                    if (s.x == pts.front().x && s.y == pts.front().y)
                        AddCapShape(pen.startCap, s, Unit(dashes.front()[1], s), r, arcTol, extra);
                    if (e.x == pts.back().x && e.y == pts.back().y)
                        AddCapShape(pen.endCap, e, Unit(dashes.back()[dashes.back().size() - 2], e), r,
                                    arcTol, extra);
                }
                continue;
            }
            if (ip.size() > kPiecePoints) {
                OffsetInPieces(ip, line.closed, jt, std::max(2.0, double(pen.miterLimit)), arcTol,
                               r * kClipperScale, extra);
                if (line.closed) continue;
            } else if (line.closed) {
                co.AddPath(ip, jt, ClipperLib::etClosedLine);
                continue;
            } else if (pen.startCap == pen.endCap && pen.startCap != CapTriangle) {
                const auto et = pen.startCap == CapRound    ? ClipperLib::etOpenRound
                                : pen.startCap == CapSquare ? ClipperLib::etOpenSquare
                                                            : ClipperLib::etOpenButt;
                co.AddPath(ip, jt, et);
                continue;
            } else {
                co.AddPath(ip, jt, ClipperLib::etOpenButt);
            }
            // Direction at each end from the nearest distinct point.
            std::size_t i1 = 1;
            while (i1 + 1 < pts.size() && pts[i1].x == pts[0].x && pts[i1].y == pts[0].y) ++i1;
            std::size_t j1 = pts.size() - 2;
            while (j1 > 0 && pts[j1].x == pts.back().x && pts[j1].y == pts.back().y) --j1;
            AddCapShape(pen.startCap, pts.front(), Unit(pts[i1], pts.front()), r, arcTol, extra);
            AddCapShape(pen.endCap, pts.back(), Unit(pts[j1], pts.back()), r, arcTol, extra);
        }
        co.Execute(strokes, r * kClipperScale);
    } catch (...) {
        strokes.clear();
        extra.clear();
    }
    if (!extra.empty()) {
        strokes.insert(strokes.end(), extra.begin(), extra.end());
        if (!tangled) strokes = detail::Union(strokes, ClipperLib::pftNonZero);
    }
    detail::AppendPolygons(strokes, *this);
    fillMode_ = FillMode::Winding;
    return !tangled;
}

bool GraphicsPath::WindingOutline(float flatness) {
    const std::vector<Polyline> lines = detail::FlattenToPolylines(*this, flatness);
    if (detail::TooTangledToUnite(lines)) {
        Flatten(flatness);
        fillMode_ = FillMode::Winding;
        return false;
    }
    Paths polys;
    polys.reserve(lines.size());
    for (const Polyline& l : lines) {
        Path p = ToClipper(l.points);
        if (p.size() >= 3) polys.push_back(std::move(p));
    }
    const Paths merged = detail::Union(polys, ClipperLib::pftNonZero);
    Reset();
    detail::AppendPolygons(merged, *this);
    fillMode_ = FillMode::Winding;
    return true;
}

bool BeyondReach(const RectF& r) {
    const auto far = [](float v) { return !(std::fabs(v) <= kReach); };
    return far(r.Left()) || far(r.Top()) || far(r.Right()) || far(r.Bottom());
}

double AreaOf(const GraphicsPath& path, float flatness) {
    const std::vector<Polyline> lines = detail::FlattenToPolylines(path, flatness);
    Paths polys;
    for (const Polyline& l : lines) {
        Path p = ToClipper(l.points);
        if (p.size() >= 3) polys.push_back(std::move(p));
    }
    const auto rule =
        path.GetFillMode() == FillMode::Winding ? ClipperLib::pftNonZero : ClipperLib::pftEvenOdd;
    double area = 0.0;
    for (const Path& p : detail::Union(polys, rule)) area += ClipperLib::Area(p);
    return std::fabs(area) / (kClipperScale * kClipperScale);
}

}  // namespace geom
