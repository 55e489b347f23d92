#pragma once
// Offsetting chains of cubic Bezier segments by a signed distance.
//
// CBezierOfsSolver approximates the offset of one segment by one cubic whose
// handle lengths are fitted by least squares to exact offset points, and
// halves the segment (at most 8 levels deep) while the fit misses by more
// than a tenth of the distance. CBezierOfs drives it over a whole chain of a
// path and joins the pieces: directly at smooth curved nodes, with a straight
// joining segment at corners.
//
// A positive distance lies on the side (v.y, −v.x) of the direction of travel
// v: for travel towards +x that is towards −y.

#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

#include "geom/Pointf.h"

// Vectors no longer than this count as zero (2^-52).
inline constexpr double kBezierEpsilon = 2.220446049250313e-16;

struct CPoint2d {
    double x = 0.0;
    double y = 0.0;

    constexpr CPoint2d() = default;
    constexpr CPoint2d(double px, double py) : x(px), y(py) {}
    constexpr explicit CPoint2d(geom::PointF p) : x(p.x), y(p.y) {}

    constexpr CPoint2d operator+(CPoint2d o) const { return {x + o.x, y + o.y}; }
    constexpr CPoint2d operator-(CPoint2d o) const { return {x - o.x, y - o.y}; }
    constexpr CPoint2d operator*(double s) const { return {x * s, y * s}; }
    constexpr double Dot(CPoint2d o) const { return x * o.x + y * o.y; }
    double Length() const;
    geom::PointF ToPointF() const { return {float(x), float(y)}; }
};

// One exact offset point of the segment being fitted, at parameter t.
struct CBezierSample {
    double t = 0.0;
    CPoint2d p;
};

class CBezierOfsSolver {
public:
    virtual ~CBezierOfsSolver() = default;

    void SetDistance(double d) { d_ = d; }
    double Distance() const { return d_; }

    // Starts a new segment; forgets the previous result.
    void SetCurve(geom::PointF p0, geom::PointF p1, geom::PointF p2, geom::PointF p3);
    void SetCurve(const CPoint2d& p0, const CPoint2d& p1, const CPoint2d& p2, const CPoint2d& p3);

    // Fills Result() with a chain of 3k + 1 points (k ≥ 1) running at the
    // distance beside the segment. depth is 0 for a top-level call.
    void Solve(int depth = 0);

    const std::vector<geom::PointF>& Result() const { return result_; }
    // Largest miss between the fitted cubic and the interior samples in the
    // last fitting pass of the top-level piece; 0 for a straight segment,
    // whose unfitted offset is exact and needs no fitting.
    double Error() const { return error_; }

private:
    void BuildSamples();
    void FitBoth();
    void FitOne(bool first);
    CPoint2d Model(double t) const;

    double s1_ = 1.0;
    double s2_ = 1.0;
    double error_ = 0.0;
    double d_ = 0.0;
    CPoint2d h1_;
    CPoint2d h2_;
    std::vector<CPoint2d> control_;
    std::vector<CBezierSample> samples_;
    std::vector<geom::PointF> result_;
};

// Offsets a chain p[0 … 3m] with type bytes t[0 … 3m] (segment k is p[3k] …
// p[3k+3]; bit 0x02 smooth and 0x04 curved on an anchor). PointIt and TypeIt
// are random-access iterators over geom::PointF and unsigned char.
//
// Output: 3·(output segments) + 1 points and as many type bytes. Interior
// nodes made by halving get type 6; every corner node except the first
// anchor becomes a straight joining segment.
//
// Run() returns false and copies the inputs unchanged to the outputs when
// there is nothing to offset: fewer than four points (no segment), point and
// type ranges of different lengths or not of length 3m + 1, or only segments
// that collapse to a point. Segments that collapse to a point have no
// direction and are dropped; their neighbours are joined around them.
template <typename PointIt, typename TypeIt>
class CBezierOfs {
public:
    virtual ~CBezierOfs() = default;

    void SetRange(PointIt pb, PointIt pe, TypeIt tb, TypeIt te) {
        pb_ = pb;
        pe_ = pe;
        tb_ = tb;
        te_ = te;
    }
    void SetDistance(double d) { d_ = d; }

    bool Run();

    const std::vector<geom::PointF>& OutPoints() const { return points_; }
    const std::vector<unsigned char>& OutTypes() const { return types_; }

private:
    static bool IsPoint(geom::PointF a, geom::PointF b, geom::PointF c, geom::PointF d);

    double d_ = 0.0;
    std::vector<unsigned char> types_;
    std::vector<geom::PointF> points_;
    PointIt pb_{}, pe_{};
    TypeIt tb_{}, te_{};
};

template <typename PointIt, typename TypeIt>
bool CBezierOfs<PointIt, TypeIt>::IsPoint(geom::PointF a, geom::PointF b, geom::PointF c, geom::PointF d) {
    const CPoint2d o(a);
    return (CPoint2d(b) - o).Length() <= kBezierEpsilon && (CPoint2d(c) - o).Length() <= kBezierEpsilon &&
           (CPoint2d(d) - o).Length() <= kBezierEpsilon;
}

template <typename PointIt, typename TypeIt>
bool CBezierOfs<PointIt, TypeIt>::Run() {
    points_.assign(pb_, pe_);
    types_.assign(tb_, te_);
    const std::ptrdiff_t n = std::distance(pb_, pe_);
    if (n < 4 || n != std::distance(tb_, te_) || (n - 1) % 3 != 0) return false;

    std::vector<geom::PointF> points;
    std::vector<unsigned char> types;
    CBezierOfsSolver solver;
    solver.SetDistance(d_);
    bool started = false;
    for (std::ptrdiff_t i = 0; i + 3 < n; i += 3) {
        const geom::PointF p0 = pb_[i], p1 = pb_[i + 1], p2 = pb_[i + 2], p3 = pb_[i + 3];
        if (IsPoint(p0, p1, p2, p3)) continue;
        const unsigned char ti = tb_[i];
        const unsigned char tEnd = tb_[i + 2];
        if ((ti & 0x06) == 0x06) {
            solver.SetCurve(p0, p1, p2, p3);
            solver.Solve(0);
            const std::vector<geom::PointF>& s = solver.Result();
            points.insert(points.end(), s.begin(), s.end() - 1);
            types.insert(types.end(), s.size() - 2, 6);
            types.push_back(tEnd);
        } else {
            if (started) {
                const geom::PointF e = solver.Result().back();
                points.push_back(e);
                points.push_back(e);
                types.push_back(ti);
                types.push_back(ti);
            }
            solver.SetCurve(p0, p1, p2, p3);
            solver.Solve(0);
            const std::vector<geom::PointF>& s = solver.Result();
            if (started) {
                points.push_back(s.front());
                types.push_back(ti);
            }
            points.insert(points.end(), s.begin(), s.end() - 1);
            types.push_back(ti);
            types.push_back(ti);
            types.insert(types.end(), s.size() - 4, 6);
            types.push_back(tEnd);
        }
        started = true;
    }
    if (!started) return false;
    types.push_back(tb_[n - 1]);
    points.push_back(solver.Result().back());
    points_ = std::move(points);
    types_ = std::move(types);
    return true;
}
