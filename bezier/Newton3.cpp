#include "bezier/Newton3.h"

#include <cmath>
#include <limits>

void Newton3::SetCoefficients(double p0, double p1, double p2, double p3, double target) {
    a3 = p3 - 3.0 * p2 + 3.0 * p1 - p0;
    a2 = 3.0 * (p2 - 2.0 * p1 + p0);
    a1 = 3.0 * (p1 - p0);
    a0 = p0 - target;
    r1 = r2 = r3 = 0.0;
    count = 0;
}

void Newton3::SetForX(geom::PointF p0, geom::PointF p1, geom::PointF p2, geom::PointF p3,
                      geom::PointF target) {
    SetCoefficients(p0.x, p1.x, p2.x, p3.x, target.x);
}

void Newton3::SetForY(geom::PointF p0, geom::PointF p1, geom::PointF p2, geom::PointF p3,
                      geom::PointF target) {
    SetCoefficients(p0.y, p1.y, p2.y, p3.y, target.y);
}

double Newton3::Refine(double x0) const {
    double x = x0;
    for (int step = 0; step < 25; ++step) {
        const double f = ((a3 * x + a2) * x + a1) * x + a0;
        const double df = (3.0 * a3 * x + 2.0 * a2) * x + a1;
        // A flat point gives no step. Unless it is itself a root, answer a value
        // that fails every caller's range test, as the division would have.
        if (df == 0.0) return f == 0.0 ? x : std::numeric_limits<double>::quiet_NaN();
        x -= f / df;
        if (!std::isfinite(x)) return x;
    }
    return x;
}

void Newton3::Solve() {
    count = 0;
    r1 = r2 = r3 = 0.0;
    if (a3 != 0.0) {
        const double p = a2 / a3, q = a1 / a3, r = a0 / a3;
        const double disc = p * p - 3.0 * q;
        if (disc == 0.0) {
            const double u = -p / 3.0;
            r1 = Refine(u > 0.0 ? u - 1.0 : u + 1.0);
            r2 = r3 = r1;
            count = 1;
        } else if (disc < 0.0) {
            r1 = r2 = r3 = Refine(1.0);
            count = 1;
        } else {
            const double sq = std::sqrt(disc);
            const double x1 = (-p - sq) / 3.0;  // local maximum of the monic cubic
            const double x2 = (sq - p) / 3.0;   // local minimum
            auto g = [&](double x) { return ((x + p) * x + q) * x + r; };
            if (g(x2) > 0.0) {
                r1 = r2 = r3 = Refine(x1 - 1.0);
                count = 1;
            } else if (g(x1) >= 0.0) {
                r1 = Refine(x1 - 1.0);
                r2 = Refine(x2 + 1.0);
                r3 = Refine((x1 + x2) / 2.0);
                count = 3;
            } else {
                r1 = r2 = r3 = Refine(x2 + 1.0);
                count = 1;
            }
        }
    } else if (a2 != 0.0) {
        const double disc = a1 * a1 - 4.0 * a2 * a0;
        if (disc > 0.0) {
            const double sq = std::sqrt(disc);
            r1 = -(sq + a1) / (2.0 * a2);
            r2 = r3 = -(a1 - sq) / (2.0 * a2);
            count = 2;
        } else if (disc == 0.0) {
            r1 = r2 = r3 = -a1 / (2.0 * a2);
            count = 1;
        }
    } else if (a1 != 0.0) {
        r1 = r2 = r3 = -a0 / a1;
        count = 1;
    }
}
