#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geom/Graphicspath.h"

using namespace geom;

namespace {

void AddSquare(GraphicsPath& p, float x, float y, float s, bool reversed = false) {
    std::vector<PointF> pts{{x, y}, {x + s, y}, {x + s, y + s}, {x, y + s}};
    if (reversed) std::reverse(pts.begin(), pts.end());
    p.AddPolygon(pts.data(), pts.size());
}

}  // namespace

TEST(WindingOutline, OverlappingSquaresBecomeOneFigureOfTheUnion) {
    GraphicsPath p;
    AddSquare(p, 0, 0, 10);
    AddSquare(p, 5, 5, 10);
    p.WindingOutline();
    EXPECT_EQ(p.FigureCount(), 1u);
    EXPECT_NEAR(AreaOf(p), 175.0, 1e-3);
}

TEST(WindingOutline, ReversedInnerFigureLeavesAHole) {
    GraphicsPath p(FillMode::Winding);
    AddSquare(p, 0, 0, 30);
    AddSquare(p, 10, 10, 10, /*reversed=*/true);
    EXPECT_FALSE(p.IsVisible({15, 15}));
    p.WindingOutline();
    EXPECT_EQ(p.FigureCount(), 2u);
    EXPECT_NEAR(AreaOf(p), 900.0 - 100.0, 1e-3);
    EXPECT_FALSE(p.IsVisible({15, 15}));
    EXPECT_TRUE(p.IsVisible({5, 15}));
}

TEST(IsVisible, FillModesDecideNestedFigures) {
    GraphicsPath p;
    AddSquare(p, 0, 0, 30);
    AddSquare(p, 10, 10, 10);  // same direction
    EXPECT_FALSE(p.IsVisible({15, 15})) << "alternate: two crossings";
    p.SetFillMode(FillMode::Winding);
    EXPECT_TRUE(p.IsVisible({15, 15})) << "nonzero: winding 2";
    EXPECT_TRUE(p.IsVisible({30, 15})) << "the edge itself counts";
    EXPECT_FALSE(p.IsVisible({31, 15}));
}

// Seeded random points are inside the winding outline exactly when they are
// inside some input figure by the nonzero rule, away from a thin band at edges.
TEST(WindingOutline, OracleAgreesWithNonzeroRuleOfTheInputs) {
    std::mt19937 rng(20261210);
    std::uniform_real_distribution<float> coord(0, 100), size(5, 40);
    for (int round = 0; round < 5; ++round) {
        GraphicsPath in(FillMode::Winding);
        std::vector<GraphicsPath> single;
        for (int i = 0; i < 6; ++i) {
            GraphicsPath fig(FillMode::Winding);
            const float x = coord(rng), y = coord(rng);
            if (i % 3 == 2) {
                fig.AddEllipse({x, y, size(rng), size(rng)});
            } else {
                std::vector<PointF> pts;
                pts.reserve(5);
                for (int k = 0; k < 5; ++k) {
                    // Drawn in this order: the arguments of one call have none.
                    const float px = x + size(rng);
                    const float py = y + size(rng);
                    pts.emplace_back(px, py);
                }
                fig.AddPolygon(pts.data(), pts.size());  // may self-intersect
            }
            in.AddPath(fig);
        }
        GraphicsPath out = in;
        out.WindingOutline(0.01f);
        const auto edges = in.FlattenedPolygons(0.01f);
        int checked = 0;
        for (int i = 0; i < 4000; ++i) {
            const PointF q{coord(rng) + 20, coord(rng) + 20};
            // Skip points within 0.05 of an input edge.
            bool nearEdge = false;
            for (const auto& poly : edges) {
                for (std::size_t k = 0; k < poly.size() && !nearEdge; ++k) {
                    const PointF a = poly[k], b = poly[(k + 1) % poly.size()];
                    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
                    double s = len2 > 0 ? ((q.x - a.x) * dx + (q.y - a.y) * dy) / len2 : 0;
                    s = std::clamp(s, 0.0, 1.0);
                    nearEdge = std::hypot(a.x + s * dx - q.x, a.y + s * dy - q.y) < 0.05;
                }
            }
            if (nearEdge) continue;
            ++checked;
            ASSERT_EQ(out.IsVisible(q), in.IsVisible(q)) << "round " << round << " at " << q.x << "," << q.y;
        }
        EXPECT_GT(checked, 3500);
    }
}

TEST(AreaTests, OutlineMeetsRectangle) {
    GraphicsPath ring(FillMode::Winding);
    AddSquare(ring, 0, 0, 30);
    AddSquare(ring, 10, 10, 10, true);
    struct Row {
        const char* name;
        RectF r;
        bool meets;
    } rows[] = {
        {"crosses an edge", {25, 5, 10, 2}, true},
        {"wholly inside the area", {2, 2, 3, 3}, true},
        {"inside the hole", {12, 12, 5, 5}, false},
        {"touches the outer edge", {30, 5, 5, 5}, true},
        {"touches the hole's edge from inside", {12, 12, 8, 5}, true},
        {"outside", {31, 0, 5, 5}, false},
        {"surrounds everything", {-5, -5, 50, 50}, true},
    };
    for (const Row& r : rows) EXPECT_EQ(OutlineMeetsRect(ring, r.r), r.meets) << r.name;
}

TEST(AreaTests, OutlinesMeet) {
    GraphicsPath a(FillMode::Winding), inner, touching, apart, inHole;
    AddSquare(a, 0, 0, 30);
    AddSquare(a, 10, 10, 10, true);
    AddSquare(inner, 2, 2, 3);
    AddSquare(touching, 30, 0, 5);
    AddSquare(apart, 40, 0, 5);
    AddSquare(inHole, 12, 12, 4);
    EXPECT_TRUE(OutlinesMeet(a, inner));
    EXPECT_TRUE(OutlinesMeet(inner, a));
    EXPECT_TRUE(OutlinesMeet(a, touching));
    EXPECT_FALSE(OutlinesMeet(a, apart));
    EXPECT_FALSE(OutlinesMeet(a, inHole));
    EXPECT_FALSE(OutlinesMeet(a, GraphicsPath()));
}
