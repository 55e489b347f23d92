#include "bezier/Bezierofssolver.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kMaxDepth = 8;

// Splits p[at … at+3] at t = 0.5 in place, inserting the three new points.
void HalveAt(std::vector<CPoint2d>& p, std::size_t at) {
    const CPoint2d p0 = p[at], p1 = p[at + 1], p2 = p[at + 2], p3 = p[at + 3];
    const CPoint2d q0 = (p0 + p1) * 0.5, q1 = (p1 + p2) * 0.5, q2 = (p2 + p3) * 0.5;
    const CPoint2d r0 = (q0 + q1) * 0.5, r1 = (q1 + q2) * 0.5;
    const CPoint2d s = (r0 + r1) * 0.5;
    const std::array<CPoint2d, 7> halves{p0, q0, r0, s, r1, q2, p3};
    p.erase(p.begin() + std::ptrdiff_t(at), p.begin() + std::ptrdiff_t(at + 4));
    p.insert(p.begin() + std::ptrdiff_t(at), halves.begin(), halves.end());
}

}  // namespace

double CPoint2d::Length() const {
    return std::hypot(x, y);
}

void CBezierOfsSolver::SetCurve(geom::PointF p0, geom::PointF p1, geom::PointF p2, geom::PointF p3) {
    SetCurve(CPoint2d(p0), CPoint2d(p1), CPoint2d(p2), CPoint2d(p3));
}

void CBezierOfsSolver::SetCurve(const CPoint2d& p0, const CPoint2d& p1, const CPoint2d& p2,
                                const CPoint2d& p3) {
    control_ = {p0, p1, p2, p3};
    h1_ = p1 - p0;
    h2_ = p2 - p3;
    s1_ = s2_ = 1.0;
    error_ = 0.0;
    samples_.clear();
    result_.clear();
}

void CBezierOfsSolver::BuildSamples() {
    std::vector<CPoint2d> q = control_;
    q.reserve(25);
    for (int round = 0; round < 3; ++round) {
        for (std::size_t at = q.size() - 4;; at -= 3) {
            HalveAt(q, at);
            if (at == 0) break;
        }
    }
    samples_.clear();
    for (std::size_t j = 0; j <= 8; ++j) {
        const std::size_t a = 3 * j;
        // The tangent from the handles, falling back to the next control point
        // when a handle sits on its anchor, and to the chord when both do.
        CPoint2d v = j < 8 ? q[a + 1] - q[a] : q[24] - q[23];
        if (v.Length() <= kBezierEpsilon) v = j < 8 ? q[a + 2] - q[a + 1] : q[23] - q[22];
        if (v.Length() <= kBezierEpsilon) v = j < 8 ? q[a + 3] - q[a] : q[24] - q[21];
        const double len = v.Length();
        // A piece that is a mere point has no side to offset towards.
        const CPoint2d normal = len <= kBezierEpsilon ? CPoint2d() : CPoint2d(v.y, -v.x) * (d_ / len);
        samples_.push_back({double(j) / 8.0, q[a] + normal});
    }
}

CPoint2d CBezierOfsSolver::Model(double t) const {
    const CPoint2d o0 = samples_.front().p, o8 = samples_.back().p;
    const double u = 1.0 - t;
    return o0 * (u * u * u) + (o0 + h1_ * s1_) * (3.0 * u * u * t) + (o8 + h2_ * s2_) * (3.0 * u * t * t) +
           o8 * (t * t * t);
}

void CBezierOfsSolver::FitBoth() {
    double c11 = 0.0, c12 = 0.0, c22 = 0.0, x1 = 0.0, x2 = 0.0, worst = 0.0;
    for (std::size_t k = 1; k + 1 < samples_.size(); ++k) {
        const double t = samples_[k].t, u = 1.0 - t;
        const CPoint2d a1 = h1_ * (3.0 * u * u * t);
        const CPoint2d a2 = h2_ * (3.0 * u * t * t);
        const CPoint2d r = Model(t) - samples_[k].p;
        c11 += a1.Dot(a1);
        c12 += a1.Dot(a2);
        c22 += a2.Dot(a2);
        x1 -= a1.Dot(r);
        x2 -= a2.Dot(r);
        worst = std::max(worst, r.Dot(r));
    }
    s1_ += (c12 * x2 - c22 * x1) / (c12 * c12 - c11 * c22);
    s2_ += (c11 * x2 - c12 * x1) / (c11 * c22 - c12 * c12);
    error_ = std::sqrt(worst);
}

void CBezierOfsSolver::FitOne(bool first) {
    double c = 0.0, x = 0.0, worst = 0.0;
    for (std::size_t k = 1; k + 1 < samples_.size(); ++k) {
        const double t = samples_[k].t, u = 1.0 - t;
        const CPoint2d a = first ? h1_ * (3.0 * u * u * t) : h2_ * (3.0 * u * t * t);
        const CPoint2d r = Model(t) - samples_[k].p;
        c += a.Dot(a);
        x -= a.Dot(r);
        worst = std::max(worst, r.Dot(r));
    }
    (first ? s1_ : s2_) += x / c;
    error_ = std::sqrt(worst);
}

void CBezierOfsSolver::Solve(int depth) {
    result_.clear();
    if (control_.size() < 4) return;
    BuildSamples();

    const bool long1 = h1_.Length() > kBezierEpsilon;
    const bool long2 = h2_.Length() > kBezierEpsilon;
    for (int pass = 0; pass < 2; ++pass) {
        if (long1 && long2) {
            FitBoth();
        } else if (long1) {
            FitOne(true);
        } else if (long2) {
            FitOne(false);
        }
    }

    // Without handles the segment is straight and its offset model is exact.
    const bool straight = !long1 && !long2;
    if (straight || error_ <= std::fabs(0.1 * d_) || depth >= kMaxDepth) {
        const CPoint2d o0 = samples_.front().p, o8 = samples_.back().p;
        result_ = {o0.ToPointF(), (o0 + h1_ * s1_).ToPointF(), (o8 + h2_ * s2_).ToPointF(), o8.ToPointF()};
        return;
    }

    std::vector<CPoint2d> halves(control_.begin(), control_.begin() + 4);
    HalveAt(halves, 0);
    CBezierOfsSolver half;
    half.SetDistance(d_);
    half.SetCurve(halves[0], halves[1], halves[2], halves[3]);
    half.Solve(depth + 1);
    result_.insert(result_.end(), half.Result().begin(), half.Result().end() - 1);
    half.SetCurve(halves[3], halves[4], halves[5], halves[6]);
    half.Solve(depth + 1);
    result_.insert(result_.end(), half.Result().begin(), half.Result().end());
}
