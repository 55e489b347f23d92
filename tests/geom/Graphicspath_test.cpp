#include <gtest/gtest.h>

#include <cmath>

#include "geom/Graphicspath.h"

using namespace geom;

TEST(GraphicsPath, FiguresKindsAndCloseMarks) {
    GraphicsPath p;
    p.AddLine({0, 0}, {10, 0});
    p.AddBezier({20, 0}, {25, 5}, {25, 10}, {20, 20});  // joins the open figure with a line
    p.CloseFigure();
    p.AddLine({100, 100}, {110, 100});
    ASSERT_EQ(p.PointCount(), 8u);
    EXPECT_EQ(p.FigureCount(), 2u);
    const std::vector<std::uint8_t> want{
        PointStart, PointLine, PointLine, PointBezier, PointBezier, PointBezier | PointCloseMark, PointStart};
    EXPECT_EQ(std::vector<std::uint8_t>(p.Types().begin(), p.Types().begin() + 7), want);
    EXPECT_EQ(p.GetBounds(), RectF(0, 0, 110, 100));
}

TEST(GraphicsPath, ReverseKeepsSegmentKindsAndFigures) {
    GraphicsPath p;
    const PointF pts[7] = {{0, 0}, {1, 1}, {2, 1}, {3, 0}, {4, 1}, {5, 1}, {6, 0}};
    p.AddLine({-5, 0}, {0, 0});
    p.AddBeziers(pts, 7);
    p.CloseFigure();
    GraphicsPath r = p;
    r.Reverse();
    ASSERT_EQ(r.PointCount(), p.PointCount());
    EXPECT_EQ(r.Points().front(), PointF(6, 0));
    EXPECT_EQ(r.Points().back(), PointF(-5, 0));
    // The line segment from (-5,0) now ends the figure, the Beziers start it.
    EXPECT_EQ(r.Types()[1], PointBezier);
    EXPECT_EQ(r.Types().back(), PointLine | PointCloseMark);
    r.Reverse();
    EXPECT_EQ(r, p);
}

TEST(GraphicsPath, FlattenedQuarterCircleStaysWithinFlatness) {
    constexpr double k = 0.5522847498307936, R = 100.0;
    for (float f : {1.0f, 0.25f, 0.05f}) {
        GraphicsPath p;
        p.AddBezier({float(R), 0}, {float(R), float(k * R)}, {float(k * R), float(R)}, {0, float(R)});
        p.CloseFigure();
        GraphicsPath flat = p;
        flat.Flatten(f);
        const auto& pts = flat.Points();
        ASSERT_GT(pts.size(), 2u);
        EXPECT_NE(flat.Types().back() & PointCloseMark, 0) << "close mark kept";
        // Every sample of the true curve lies within f of the polyline.
        double worst = 0.0;
        for (int i = 0; i <= 1000; ++i) {
            const double t = i / 1000.0, u = 1 - t;
            const double x = u * u * u * R + 3 * u * u * t * R + 3 * u * t * t * k * R;
            const double y = 3 * u * u * t * k * R + 3 * u * t * t * R + t * t * t * R;
            double best = 1e9;
            for (std::size_t j = 0; j + 1 < pts.size(); ++j) {
                const double ax = pts[j].x, ay = pts[j].y, bx = pts[j + 1].x, by = pts[j + 1].y;
                const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
                double s = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
                s = std::clamp(s, 0.0, 1.0);
                best = std::min(best, std::hypot(ax + s * dx - x, ay + s * dy - y));
            }
            worst = std::max(worst, best);
        }
        EXPECT_LE(worst, f) << "flatness " << f;
        // Fewer points at coarser flatness, but never a single chord for a visible arc.
        EXPECT_GE(pts.size(), 3u);
    }
}

TEST(GraphicsPath, EllipseIsFourClosedQuarterArcs) {
    GraphicsPath p;
    p.AddEllipse({0, 0, 20, 10});
    EXPECT_EQ(p.PointCount(), 13u);
    EXPECT_EQ(p.Points()[0], PointF(20, 5));
    EXPECT_EQ(p.Points()[3], PointF(10, 10));
    // Inscribed chords lose at most about perimeter * flatness of area.
    EXPECT_NEAR(AreaOf(p, 0.01f), M_PI * 10 * 5, 0.5);
}
