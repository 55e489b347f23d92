#include "bezier/Bezierofssolver.h"

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using geom::PointF;
using Chain = std::vector<PointF>;
using Types = std::vector<unsigned char>;
using Ofs = CBezierOfs<Chain::iterator, Types::iterator>;

constexpr double kKappa = 0.5522847498;

CPoint2d Eval(const PointF* p, double t) {
    const double u = 1.0 - t;
    const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
    return {b0 * p[0].x + b1 * p[1].x + b2 * p[2].x + b3 * p[3].x,
            b0 * p[0].y + b1 * p[1].y + b2 * p[2].y + b3 * p[3].y};
}

CPoint2d Tangent(const PointF* p, double t) {
    const double u = 1.0 - t;
    const double d0 = u * u, d1 = 2 * u * t, d2 = t * t;
    return {d0 * (p[1].x - p[0].x) + d1 * (p[2].x - p[1].x) + d2 * (p[3].x - p[2].x),
            d0 * (p[1].y - p[0].y) + d1 * (p[2].y - p[1].y) + d2 * (p[3].y - p[2].y)};
}

// The exact offset point of a segment at t, on the side (v.y, −v.x).
CPoint2d OffsetAt(const PointF* p, double t, double d) {
    const CPoint2d v = Tangent(p, t);
    return Eval(p, t) + CPoint2d(v.y, -v.x) * (d / v.Length());
}

void ExpectNear(PointF got, double x, double y, double tol = 1e-3) {
    EXPECT_NEAR(got.x, x, tol);
    EXPECT_NEAR(got.y, y, tol);
}

struct Ran {
    bool changed;
    Chain points;
    Types types;
};

Ran RunOffset(Chain points, Types types, double d) {
    Ofs ofs;
    ofs.SetRange(points.begin(), points.end(), types.begin(), types.end());
    ofs.SetDistance(d);
    const bool changed = ofs.Run();
    return {changed, ofs.OutPoints(), ofs.OutTypes()};
}

void ExpectChainShape(const Ran& r) {
    ASSERT_EQ(r.points.size(), r.types.size());
    ASSERT_GE(r.points.size(), 4u);
    EXPECT_EQ((r.points.size() - 1) % 3, 0u);
    for (PointF p : r.points) {
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
}

// ---- single segments ----------------------------------------------------

TEST(BezierOfsSolver, StraightSegmentMovesSidewaysWithHandlesKept) {
    struct Row {
        const char* name;
        PointF p[4];
        double d;
        PointF want[4];
    };
    const Row rows[] = {
        {"HandlesOnAnchors",
         {{0, 0}, {0, 0}, {100, 0}, {100, 0}},
         20,
         {{0, -20}, {0, -20}, {100, -20}, {100, -20}}},
        {"NegativeDistance",
         {{0, 0}, {0, 0}, {100, 0}, {100, 0}},
         -20,
         {{0, 20}, {0, 20}, {100, 20}, {100, 20}}},
        {"TravelDownwards", {{0, 0}, {0, 0}, {0, 50}, {0, 50}}, 10, {{10, 0}, {10, 0}, {10, 50}, {10, 50}}},
        {"HandlesAlongTheLine",
         {{0, 0}, {30, 0}, {70, 0}, {100, 0}},
         20,
         {{0, -20}, {30, -20}, {70, -20}, {100, -20}}},
        // Both leading control points on the start: the tangent comes from the far anchor.
        {"StartHandleAndEndHandleOnStart",
         {{0, 0}, {0, 0}, {0, 0}, {100, 0}},
         20,
         {{0, -20}, {0, -20}, {0, -20}, {100, -20}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        CBezierOfsSolver s;
        s.SetDistance(r.d);
        s.SetCurve(r.p[0], r.p[1], r.p[2], r.p[3]);
        s.Solve(0);
        ASSERT_EQ(s.Result().size(), 4u);
        for (int i = 0; i < 4; ++i) ExpectNear(s.Result()[i], r.want[i].x, r.want[i].y);
        EXPECT_LE(s.Error(), 1e-9);
    }
}

TEST(BezierOfsSolver, StraightSegmentIsAcceptedEvenAfterAFailedFit) {
    // The solver is reused along a chain: a bad fit of the previous segment
    // must not make a straight segment halve.
    CBezierOfsSolver s;
    s.SetDistance(200);
    s.SetCurve(PointF{0, 0}, PointF{100, -100}, PointF{0, -100}, PointF{0, 300});
    s.Solve(0);
    ASSERT_GT(s.Error(), 20.0);
    ASSERT_GT(s.Result().size(), 4u);

    s.SetCurve(PointF{0, 0}, PointF{0, 0}, PointF{100, 0}, PointF{100, 0});
    s.Solve(0);
    EXPECT_EQ(s.Result().size(), 4u);
    EXPECT_EQ(s.Error(), 0.0);
}

TEST(BezierOfsSolver, QuarterCircleFitsInOnePieceNearTrueCircle) {
    // Counter-clockwise on screen from (100, 0) to (0, 100): (v.y, −v.x) points away from the centre.
    const PointF arc[4] = {{100, 0}, {100, float(100 * kKappa)}, {float(100 * kKappa), 100}, {0, 100}};
    for (const auto& [d, radius] : {std::pair{20.0, 120.0}, std::pair{-20.0, 80.0}}) {
        SCOPED_TRACE(d);
        CBezierOfsSolver s;
        s.SetDistance(d);
        s.SetCurve(arc[0], arc[1], arc[2], arc[3]);
        s.Solve(0);
        ASSERT_EQ(s.Result().size(), 4u);
        EXPECT_LE(s.Error(), 2.0);
        ExpectNear(s.Result()[0], radius, 0);
        ExpectNear(s.Result()[3], 0, radius);
        for (int i = 0; i < 100; ++i) {
            const double r = Eval(s.Result().data(), i / 99.0).Length();
            EXPECT_NEAR(r, radius, 2.0) << "at t = " << i / 99.0;
        }
    }
}

TEST(BezierOfsSolver, CuspHalvesExactlyEightLevelsDeepAroundIt) {
    // x' ∝ (t − 1/3)(t − 1), y' ∝ (t − 1/3)(t + 1): a cusp at t = 1/3, which no
    // halving puts on a piece boundary, so the piece holding it never fits.
    const PointF cusp[4] = {{0, 0}, {100, -100}, {0, -100}, {0, 300}};
    const double d = 200;
    CBezierOfsSolver s;
    s.SetDistance(d);
    s.SetCurve(cusp[0], cusp[1], cusp[2], cusp[3]);
    s.Solve(0);
    const std::vector<PointF>& r = s.Result();
    ASSERT_EQ((r.size() - 1) % 3, 0u);
    ASSERT_LE(r.size(), 3u * 256 + 1);
    for (PointF p : r) ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    ExpectNear(r.front(), OffsetAt(cusp, 0, d).x, OffsetAt(cusp, 0, d).y);
    ExpectNear(r.back(), OffsetAt(cusp, 1, d).x, OffsetAt(cusp, 1, d).y);

    // The depth-8 piece [85/256, 86/256] holds the cusp: its two ends are
    // consecutive anchors; one level less would not have the first, one more
    // would put an anchor between them.
    const CPoint2d a = OffsetAt(cusp, 85.0 / 256, d), b = OffsetAt(cusp, 86.0 / 256, d);
    std::size_t found = r.size();
    for (std::size_t i = 0; i + 3 < r.size(); i += 3) {
        if ((CPoint2d(r[i]) - a).Length() < 0.01) found = i;
    }
    ASSERT_LT(found, r.size()) << "no anchor at t = 85/256";
    EXPECT_NEAR(r[found + 3].x, b.x, 0.01);
    EXPECT_NEAR(r[found + 3].y, b.y, 0.01);
}

TEST(BezierOfsSolver, UnfittablePieceStopsAtTwoHundredFiftySixPieces) {
    // With a NaN distance no fit is ever accepted, so every branch goes to the cap.
    CBezierOfsSolver s;
    s.SetDistance(std::nan(""));
    s.SetCurve(PointF{0, 0}, PointF{30, 40}, PointF{70, 40}, PointF{100, 0});
    s.Solve(0);
    EXPECT_EQ(s.Result().size(), 3u * 256 + 1);
}

TEST(BezierOfsSolver, LargeOffsetOfTightCurveHalvesWithinTheCap) {
    const PointF hairpin[4] = {{0, 0}, {60, 0}, {60, 20}, {0, 20}};
    for (double d : {200.0, -200.0}) {
        SCOPED_TRACE(d);
        CBezierOfsSolver s;
        s.SetDistance(d);
        s.SetCurve(hairpin[0], hairpin[1], hairpin[2], hairpin[3]);
        s.Solve(0);
        const std::size_t n = s.Result().size();
        EXPECT_GT(n, 4u);
        EXPECT_LE(n, 3u * 256 + 1);
        EXPECT_EQ((n - 1) % 3, 0u);
    }
}

// ---- whole chains ---------------------------------------------------------

TEST(BezierOfs, OpenStraightTwoNodePath) {
    const Ran r = RunOffset({{0, 0}, {0, 0}, {100, 0}, {100, 0}}, {2, 2, 2, 2}, 20);
    EXPECT_TRUE(r.changed);
    ASSERT_EQ(r.points.size(), 4u);
    ExpectNear(r.points[0], 0, -20);
    ExpectNear(r.points[1], 0, -20);
    ExpectNear(r.points[2], 100, -20);
    ExpectNear(r.points[3], 100, -20);
    EXPECT_EQ(r.types, (Types{2, 2, 2, 2}));
}

TEST(BezierOfs, CornerGetsAStraightJoinSegment) {
    // Distinct type bytes show where each output byte comes from.
    const Chain l = {{0, 0}, {0, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 100}, {100, 100}};
    const Types t = {0x02, 0x02, 0x00, 0x03, 0x02, 0x01, 0x00};
    const Ran r = RunOffset(l, t, 20);
    ExpectChainShape(r);
    ASSERT_EQ(r.points.size(), 10u);
    const double want[10][2] = {{0, -20}, {0, -20}, {100, -20}, {100, -20}, {100, -20},
                                {120, 0}, {120, 0}, {120, 0},   {120, 100}, {120, 100}};
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        ExpectNear(r.points[i], want[i][0], want[i][1]);
    }
    EXPECT_EQ(r.types, (Types{0x02, 0x02, 0x00, 0x03, 0x03, 0x03, 0x03, 0x03, 0x01, 0x00}));
}

TEST(BezierOfs, SmoothCurvedNodesJoinDirectly) {
    // A half circle of radius 100 as two quarter arcs meeting at (0, 100).
    const float k = float(100 * kKappa);
    const Chain half = {{100, 0}, {100, k}, {k, 100}, {0, 100}, {-k, 100}, {-100, k}, {-100, 0}};
    struct Row {
        const char* name;
        unsigned char type;
        std::size_t count;
    };
    const Row rows[] = {{"Smooth", 0x06, 7}, {"SmoothSelected", 0x07, 7}, {"Corner", 0x02, 10}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Ran r = RunOffset(half, Types(7, row.type), 20);
        ExpectChainShape(r);
        ASSERT_EQ(r.points.size(), row.count);
        for (std::size_t i = 0; i < r.points.size(); i += 3) {
            EXPECT_NEAR(geom::Length(r.points[i]), 120.0, 1e-3) << "anchor " << i;
        }
        if (row.count == 7) {
            ExpectNear(r.points[3], 0, 120);
            EXPECT_EQ(r.types, (Types{6, 6, row.type, 6, 6, row.type, row.type}));
        }
    }
}

TEST(BezierOfs, ChainWithoutSegmentIsLeftUnchanged) {
    struct Row {
        const char* name;
        Chain points;
        Types types;
    };
    const Row rows[] = {
        {"Empty", {}, {}},
        {"OneNode", {{5, 5}}, {2}},
        {"ThreePoints", {{0, 0}, {1, 0}, {2, 0}}, {2, 2, 2}},
        {"TypesShorterThanPoints", {{0, 0}, {0, 0}, {100, 0}, {100, 0}}, {2, 2, 2}},
        {"NotWholeSegments", {{0, 0}, {0, 0}, {100, 0}, {100, 0}, {100, 0}}, {2, 2, 2, 2, 2}},
        {"OnlyPointSegments", {{7, 7}, {7, 7}, {7, 7}, {7, 7}, {7, 7}, {7, 7}, {7, 7}}, Types(7, 2)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Ran r = RunOffset(row.points, row.types, 20);
        EXPECT_FALSE(r.changed);
        EXPECT_EQ(r.points, row.points);
        EXPECT_EQ(r.types, row.types);
    }
}

TEST(BezierOfs, PointSegmentFromDoubledNodeIsDropped) {
    // A node placed twice at (100, 0) leaves a segment without direction; the
    // offset is that of the plain corner, without NaN.
    const Chain plain = {{0, 0}, {0, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 100}, {100, 100}};
    const Chain doubled = {{0, 0},   {0, 0},   {100, 0}, {100, 0},   {100, 0},
                           {100, 0}, {100, 0}, {100, 0}, {100, 100}, {100, 100}};
    const Ran want = RunOffset(plain, Types(7, 2), 20);
    const Ran got = RunOffset(doubled, Types(10, 2), 20);
    EXPECT_TRUE(got.changed);
    EXPECT_EQ(got.points, want.points);
    EXPECT_EQ(got.types, want.types);

    // Doubled first node: the offset starts with the first real segment.
    const Chain leading = {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {100, 0}, {100, 0}};
    const Ran lead = RunOffset(leading, Types(7, 2), 20);
    ASSERT_EQ(lead.points.size(), 4u);
    ExpectNear(lead.points[0], 0, -20);
    ExpectNear(lead.points[3], 100, -20);
}

TEST(BezierOfs, RandomChainsKeepTheirShape) {
    // Property: for any chain the output is 3k + 1 finite points with as many
    // type bytes, starting and ending at the exact offsets of the chain's ends.
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<float> coord(-200.0f, 200.0f);
    const unsigned char nodeTypes[] = {0x02, 0x06, 0x07, 0x00};
    for (int run = 0; run < 40; ++run) {
        SCOPED_TRACE(run);
        const int segments = 1 + run % 5;
        Chain points;
        Types types;
        for (int i = 0; i < 3 * segments + 1; ++i) {
            points.push_back({coord(rng), coord(rng)});
            types.push_back(nodeTypes[rng() % 4]);
        }
        const double d = run % 2 ? 15.0 : -40.0;
        const Ran r = RunOffset(points, types, d);
        EXPECT_TRUE(r.changed);
        ExpectChainShape(r);
        const CPoint2d first = OffsetAt(points.data(), 0, d);
        const CPoint2d last = OffsetAt(points.data() + points.size() - 4, 1, d);
        ExpectNear(r.points.front(), first.x, first.y, 0.01);
        ExpectNear(r.points.back(), last.x, last.y, 0.01);
        EXPECT_EQ(r.types.back(), types.back());
    }
}

TEST(BezierOfs, WorksOnConstIterators) {
    const Chain points = {{0, 0}, {0, 0}, {100, 0}, {100, 0}};
    const Types types = {2, 2, 2, 2};
    CBezierOfs<Chain::const_iterator, Types::const_iterator> ofs;
    ofs.SetRange(points.cbegin(), points.cend(), types.cbegin(), types.cend());
    ofs.SetDistance(-5);
    ASSERT_TRUE(ofs.Run());
    ASSERT_EQ(ofs.OutPoints().size(), 4u);
    ExpectNear(ofs.OutPoints()[3], 100, 5);
}

}  // namespace
