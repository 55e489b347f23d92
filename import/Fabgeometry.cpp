#include "import/Fabgeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fab {

namespace {

constexpr double kNmPerMm = 1e6;
// A cubic stays this close to a circular arc of angle phi, relative to the radius.
double CubicArcError(double phi) {
    const double s = std::sin(phi / 4.0), c = std::cos(phi / 4.0);
    return 4.0 / 27.0 * std::pow(s, 6) / (c * c);
}

void AddPolyNode(const ClipperLib::PolyNode& node, std::vector<std::vector<TFabPoint>>& out) {
    // node is an outer polygon; its children are its holes, whose children
    // are outer polygons again.
    if (node.Contour.size() < 3) return;
    std::vector<TFabPoint> chain;
    const TFabPoint start = FromInt(node.Contour.front());
    chain.push_back(start);
    for (std::size_t i = 1; i < node.Contour.size(); ++i) AppendLine(chain, FromInt(node.Contour[i]));
    AppendLine(chain, start);
    for (const ClipperLib::PolyNode* hole : node.Childs) {
        if (hole->Contour.size() < 3) continue;
        // Out along a cut, round the hole (which runs the other way) and back.
        const TFabPoint h = FromInt(hole->Contour.front());
        AppendLine(chain, h);
        for (std::size_t i = 1; i < hole->Contour.size(); ++i) AppendLine(chain, FromInt(hole->Contour[i]));
        AppendLine(chain, h);
        AppendLine(chain, start);
        for (const ClipperLib::PolyNode* inner : hole->Childs) AddPolyNode(*inner, out);
    }
    out.push_back(std::move(chain));
}

}  // namespace

void AppendLine(std::vector<TFabPoint>& chain, TFabPoint end) {
    const TFabPoint start = chain.back();
    chain.push_back(start);
    chain.push_back(end);
    chain.push_back(end);
}

void AppendArc(std::vector<TFabPoint>& chain, TFabPoint centre, double sweep, TFabPoint end) {
    const TFabPoint start = chain.back();
    const double r0 = std::hypot(start.x - centre.x, start.y - centre.y);
    const double r1 = std::hypot(end.x - centre.x, end.y - centre.y);
    const double a0 = std::atan2(start.y - centre.y, start.x - centre.x);
    const double rmax = std::max(r0, r1);
    if (rmax <= 0.0 || sweep == 0.0) {
        AppendLine(chain, end);
        return;
    }
    int n = std::max(1, int(std::ceil(std::fabs(sweep) / (std::numbers::pi / 2.0))));
    while (n < 4096 && rmax * CubicArcError(std::fabs(sweep) / n) > kArcToleranceMm) n *= 2;
    const double phi = sweep / n;
    const double k = 4.0 / 3.0 * std::tan(phi / 4.0);
    for (int i = 0; i < n; ++i) {
        const double t0 = double(i) / n, t1 = double(i + 1) / n;
        const double ra = r0 + (r1 - r0) * t0, rb = r0 + (r1 - r0) * t1;
        const double aa = a0 + phi * i, ab = a0 + phi * (i + 1);
        const TFabPoint p0 = chain.back();
        TFabPoint p1 =
            i + 1 == n ? end : TFabPoint{centre.x + rb * std::cos(ab), centre.y + rb * std::sin(ab)};
        chain.push_back({p0.x - k * ra * std::sin(aa), p0.y + k * ra * std::cos(aa)});
        chain.push_back({p1.x + k * rb * std::sin(ab), p1.y - k * rb * std::cos(ab)});
        chain.push_back(p1);
    }
}

ClipperLib::IntPoint ToInt(TFabPoint p) {
    return {ClipperLib::cInt(std::llround(p.x * kNmPerMm)), ClipperLib::cInt(std::llround(p.y * kNmPerMm))};
}

TFabPoint FromInt(const ClipperLib::IntPoint& p) {
    return {double(p.X) / kNmPerMm, double(p.Y) / kNmPerMm};
}

ClipperLib::Path CirclePolygon(TFabPoint centre, double radius) {
    ClipperLib::Path path;
    if (!(radius > 0.0)) return path;
    // Vertices on a circle a little larger, so that the polygon's area
    // straddles the true circle's.
    const double step = 2.0 * std::acos(std::max(-1.0, 1.0 - kFlattenToleranceMm / radius));
    const int n = std::clamp(int(std::ceil(2.0 * std::numbers::pi / std::max(step, 1e-9))), 8, 2048);
    const double r = radius / std::cos(std::numbers::pi / n / 2.0);
    for (int i = 0; i < n; ++i) {
        const double a = 2.0 * std::numbers::pi * i / n;
        path.push_back(ToInt({centre.x + r * std::cos(a), centre.y + r * std::sin(a)}));
    }
    return path;
}

ClipperLib::Path FlattenChain(const std::vector<TFabPoint>& chain) {
    ClipperLib::Path path;
    if (chain.empty()) return path;
    path.push_back(ToInt(chain.front()));
    for (std::size_t i = 0; i + 3 < chain.size(); i += 3) {
        const TFabPoint p0 = chain[i], c1 = chain[i + 1], c2 = chain[i + 2], p1 = chain[i + 3];
        // Control points off the chord decide how finely to cut.
        const double bend = std::max(std::hypot(c1.x - (2 * p0.x + p1.x) / 3, c1.y - (2 * p0.y + p1.y) / 3),
                                     std::hypot(c2.x - (p0.x + 2 * p1.x) / 3, c2.y - (p0.y + 2 * p1.y) / 3));
        const int n =
            bend <= 1e-9 ? 1 : std::clamp(int(std::ceil(std::sqrt(bend / kFlattenToleranceMm))), 1, 256);
        for (int s = 1; s <= n; ++s) {
            const double t = double(s) / n, u = 1.0 - t;
            const TFabPoint q{
                u * u * u * p0.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * p1.x,
                u * u * u * p0.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * p1.y};
            path.push_back(ToInt(q));
        }
    }
    return path;
}

void Combine(ClipperLib::Paths& a, const ClipperLib::Paths& b, bool add) {
    ClipperLib::Clipper clipper;
    clipper.AddPaths(a, ClipperLib::ptSubject, true);
    clipper.AddPaths(b, ClipperLib::ptClip, true);
    ClipperLib::Paths result;
    clipper.Execute(add ? ClipperLib::ctUnion : ClipperLib::ctDifference, result, ClipperLib::pftNonZero,
                    ClipperLib::pftNonZero);
    a = std::move(result);
}

double CoveredArea(const ClipperLib::Paths& shape, ClipperLib::PolyFillType rule) {
    ClipperLib::Clipper clipper;
    clipper.AddPaths(shape, ClipperLib::ptSubject, true);
    ClipperLib::Paths united;
    clipper.Execute(ClipperLib::ctUnion, united, rule, rule);
    double area = 0;
    for (const ClipperLib::Path& p : united) area += ClipperLib::Area(p);
    return area;
}

std::vector<std::vector<TFabPoint>> AreaChains(const ClipperLib::Paths& shape,
                                               ClipperLib::PolyFillType rule) {
    ClipperLib::Clipper clipper;
    clipper.AddPaths(shape, ClipperLib::ptSubject, true);
    ClipperLib::PolyTree tree;
    clipper.Execute(ClipperLib::ctUnion, tree, rule, rule);
    std::vector<std::vector<TFabPoint>> out;
    for (const ClipperLib::PolyNode* node : tree.Childs) AddPolyNode(*node, out);
    return out;
}

}  // namespace fab
