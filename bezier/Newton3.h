#pragma once
// Real roots of a cubic a3·x³ + a2·x² + a1·x + a0 by a fixed number of Newton
// steps from starting points placed around the turning points. The path uses
// it to find the parameters at which a segment's x (or y) reaches a value.
//
// A plain value: set the coefficients (directly or with SetForX / SetForY),
// call Solve, read count and r1..r3. Roots beyond count repeat a found root;
// with count 0 all three are 0.

#include "geom/Pointf.h"

class Newton3 {
public:
    double a3 = 0.0, a2 = 0.0, a1 = 0.0, a0 = 0.0;
    double r1 = 0.0, r2 = 0.0, r3 = 0.0;
    int count = 0;

    // Coefficients of x(t) − target.x (or y) for the cubic segment p0..p3, so
    // that the roots are the segment parameters t where it meets the target.
    void SetForX(geom::PointF p0, geom::PointF p1, geom::PointF p2, geom::PointF p3, geom::PointF target);
    void SetForY(geom::PointF p0, geom::PointF p1, geom::PointF p2, geom::PointF p3, geom::PointF target);

    void Solve();

    // 25 Newton steps from x0. Stops early where a step is impossible: at a
    // zero derivative it returns the x reached (finite, but not necessarily a
    // root), and once a step leaves the finite numbers it returns that value.
    double Refine(double x0) const;

    int Count() const { return count; }

private:
    void SetCoefficients(double p0, double p1, double p2, double p3, double target);
};
