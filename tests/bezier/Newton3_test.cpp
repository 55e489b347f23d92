#include "bezier/Newton3.h"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace {

struct SolveCase {
    std::string name;
    double a3, a2, a1, a0;
    int count;
    double r1, r2, r3;  // expected roots in the order of their starting points
};

class Newton3Solve : public testing::TestWithParam<SolveCase> {};

TEST_P(Newton3Solve, FindsRootsInStartingOrder) {
    const SolveCase& c = GetParam();
    Newton3 n;
    n.a3 = c.a3;
    n.a2 = c.a2;
    n.a1 = c.a1;
    n.a0 = c.a0;
    n.count = 99;  // stale state must not survive Solve
    n.Solve();
    ASSERT_EQ(n.count, c.count);
    constexpr double kTol = 1e-9;
    EXPECT_NEAR(n.r1, c.r1, kTol);
    EXPECT_NEAR(n.r2, c.r2, kTol);
    EXPECT_NEAR(n.r3, c.r3, kTol);
}

INSTANTIATE_TEST_SUITE_P(Cases, Newton3Solve,
                         testing::Values(
                             // (x−0.2)(x−0.5)(x−0.8): starts left of, right of and between the turning points
                             SolveCase{"ThreeRoots", 1, -1.5, 0.66, -0.08, 3, 0.2, 0.8, 0.5},
                             SolveCase{"ThreeRootsNegativeLead", -2, 3, -1.32, 0.16, 3, 0.2, 0.8, 0.5},
                             // D = 0, u = 0: starts at 1
                             SolveCase{"CubeRootOfMinusOne", 1, 0, 0, 1, 1, -1, -1, -1},
                             // D < 0: x³ + x − 2 = (x−1)(x²+x+2)
                             SolveCase{"NoTurningPoints", 1, 0, 1, -2, 1, 1, 1, 1},
                             // (x+3)(x²+1): the minimum lies above zero, the root is left of the maximum
                             SolveCase{"SingleRootLeft", 1, 3, 1, 3, 1, -3, -3, -3},
                             // (x−3)(x²+1): the maximum lies below zero, the root is right of the minimum
                             SolveCase{"SingleRootRight", 1, -3, 1, -3, 1, 3, 3, 3},
                             SolveCase{"QuadraticTwoRoots", 0, 2, 0, -8, 2, -2, 2, 2},
                             SolveCase{"QuadraticDoubleRoot", 0, 1, -2, 1, 1, 1, 1, 1},
                             SolveCase{"QuadraticNoRoot", 0, 1, 0, 1, 0, 0, 0, 0},
                             SolveCase{"Linear", 0, 0, 4, -1, 1, 0.25, 0.25, 0.25},
                             SolveCase{"ConstantNonZero", 0, 0, 0, 5, 0, 0, 0, 0},
                             SolveCase{"ZeroPolynomial", 0, 0, 0, 0, 0, 0, 0, 0}),
                         [](const testing::TestParamInfo<SolveCase>& info) { return info.param.name; });

TEST(Newton3, RefineRunsExactlyTwentyFiveSteps) {
    // On x³ every Newton step is x ← 2x/3, so the step count shows in the result.
    Newton3 n;
    n.a3 = 1.0;
    EXPECT_NEAR(n.Refine(1.0), std::pow(2.0 / 3.0, 25), 1e-15);
}

TEST(Newton3, RefineStopsAtZeroDerivative) {
    // A flat point that is not a root answers NaN, which fails every 0 < t < 1
    // range test just as the unguarded division's inf or NaN did; a flat point
    // that is a root (a double root) is kept.
    struct Row {
        const char* name;
        double a3, a2, a1, a0, x0;
        bool isRoot;
    };
    const Row rows[] = {
        {"FlatPointOfCubePlusOne", 1, 0, 0, 1, 0.0, false},  {"MaximumOfCubic", 1, 0, -3, 5, -1.0, false},
        {"VertexOfParabola", 0, 1, 0, 1, 0.0, false},        {"ConstantNonZero", 0, 0, 0, 2, 0.5, false},
        {"DoubleRootOfParabola", 0, 1, -1, 0.25, 0.5, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Newton3 n;
        n.a3 = r.a3;
        n.a2 = r.a2;
        n.a1 = r.a1;
        n.a0 = r.a0;
        const double x = n.Refine(r.x0);
        if (r.isRoot) {
            EXPECT_EQ(x, r.x0);
        } else {
            EXPECT_TRUE(std::isnan(x));
            EXPECT_FALSE(x > 0.0 && x < 1.0);
        }
    }
}

TEST(Newton3, RefineStopsOnceTheStepOverflows) {
    // A subnormal slope sends the first step to −inf; going on would give NaN.
    Newton3 n;
    n.a1 = std::numeric_limits<double>::denorm_min();
    n.a0 = 1e300;
    const double x = n.Refine(0.0);
    EXPECT_TRUE(std::isinf(x));
    EXPECT_LT(x, 0.0);
}

double Bez(double p0, double p1, double p2, double p3, double t) {
    const double u = 1.0 - t;
    return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
}

TEST(Newton3, SetForFindsWhereSegmentReachesTarget) {
    // An S-shaped segment whose y passes 10 three times and whose x is linear.
    const geom::PointF p0{0, 0}, p1{10, 60}, p2{20, -40}, p3{30, 20};
    const geom::PointF target{12, 10};

    Newton3 nx;
    nx.SetForX(p0, p1, p2, p3, target);
    EXPECT_EQ(nx.a3, 0.0);
    EXPECT_EQ(nx.a2, 0.0);
    nx.Solve();
    ASSERT_EQ(nx.count, 1);
    EXPECT_NEAR(nx.r1, 0.4, 1e-12);

    Newton3 ny;
    ny.SetForY(p0, p1, p2, p3, target);
    ny.Solve();
    ASSERT_EQ(ny.count, 3);
    for (double t : {ny.r1, ny.r2, ny.r3}) {
        EXPECT_GT(t, 0.0);
        EXPECT_LT(t, 1.0);
        EXPECT_NEAR(Bez(p0.y, p1.y, p2.y, p3.y, t), target.y, 1e-9) << "t = " << t;
    }
    EXPECT_LT(ny.r1, ny.r3);
    EXPECT_LT(ny.r3, ny.r2);
}

}  // namespace
