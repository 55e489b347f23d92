#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geom/Graphicspath.h"

using namespace geom;

namespace {

GraphicsPath Segment(PointF a, PointF b) {
    GraphicsPath p;
    p.AddLine(a, b);
    return p;
}

Pen PenOf(float w, int cap, int join = JoinRound, int dash = DashSolid) {
    Pen pen;
    pen.width = w;
    pen.startCap = pen.endCap = cap;
    pen.join = join;
    pen.dashStyle = dash;
    return pen;
}

}  // namespace

TEST(Widen, SegmentAreaFollowsTheCaps) {
    const float L = 100, w = 10;
    struct Row {
        const char* name;
        int cap;
        double area;
    } rows[] = {
        {"flat", CapFlat, L * w},
        {"square", CapSquare, (L + w) * w},
        {"round", CapRound, L * w + M_PI * (w / 2) * (w / 2)},
        {"triangle", CapTriangle, L * w + 2 * (w / 2) * (w / 2)},
    };
    for (const Row& r : rows) {
        GraphicsPath p = Segment({0, 0}, {L, 0});
        p.Widen(PenOf(w, r.cap));
        EXPECT_EQ(p.GetFillMode(), FillMode::Winding);
        EXPECT_NEAR(AreaOf(p), r.area, r.area * 0.002) << r.name;
    }
}

TEST(Widen, SquareCapsReachHalfTheWidthBeyondTheEnds) {
    GraphicsPath p = Segment({0, 0}, {100, 0});
    p.Widen(PenOf(10, CapSquare));
    const RectF b = p.GetBounds();
    EXPECT_NEAR(b.Left(), -5, 1e-3);
    EXPECT_NEAR(b.Right(), 105, 1e-3);
    EXPECT_NEAR(b.Top(), -5, 1e-3);
    EXPECT_NEAR(b.Bottom(), 5, 1e-3);
    EXPECT_TRUE(p.IsVisible({104.9f, 4.9f}));
    EXPECT_FALSE(p.IsVisible({105.1f, 0}));
}

TEST(Widen, MixedCapsOnOneStroke) {
    GraphicsPath p = Segment({0, 0}, {100, 0});
    Pen pen = PenOf(10, CapFlat);
    pen.endCap = CapRound;
    p.Widen(pen);
    EXPECT_NEAR(p.GetBounds().Left(), 0, 1e-3);
    EXPECT_NEAR(p.GetBounds().Right(), 105, 0.01);
}

TEST(Widen, ClosedFigureIsARing) {
    GraphicsPath p;
    p.AddRectangle({0, 0, 100, 100});
    p.Widen(PenOf(10, CapRound, JoinMiter));
    EXPECT_NEAR(AreaOf(p), 110.0 * 110 - 90.0 * 90, 1.0);
    EXPECT_FALSE(p.IsVisible({50, 50}));
    EXPECT_TRUE(p.IsVisible({0, 50}));
}

TEST(Widen, ZeroLengthStrokeIsADotOfItsCap) {
    GraphicsPath round = Segment({5, 5}, {5, 5});
    round.Widen(PenOf(10, CapRound));
    EXPECT_NEAR(AreaOf(round), M_PI * 25, M_PI * 25 * 0.01);
    GraphicsPath square = Segment({5, 5}, {5, 5});
    square.Widen(PenOf(10, CapSquare));
    EXPECT_NEAR(AreaOf(square), 100, 0.01);
    GraphicsPath flat = Segment({5, 5}, {5, 5});
    flat.Widen(PenOf(10, CapFlat));
    EXPECT_TRUE(flat.IsEmpty());
}

TEST(Widen, DashesSplitTheStroke) {
    // Width 2 along 62 units: dash 3-1 gives dashes of 6 and gaps of 2 (8 dashes);
    // dot 1-1 gives dots of 2 and gaps of 2 (16 dots).
    struct Row {
        int dash;
        std::size_t figures;
        double inkLength;
    } rows[] = {
        {DashDash, 8, 8 * 6.0}, {DashDot, 16, 16 * 2.0},  // the last dot ends exactly at the line's end
    };
    for (const Row& r : rows) {
        GraphicsPath p = Segment({0, 0}, {62, 0});
        p.Widen(PenOf(2, CapFlat, JoinRound, r.dash));
        EXPECT_EQ(p.FigureCount(), r.figures) << "dash style " << r.dash;
        EXPECT_NEAR(AreaOf(p), r.inkLength * 2, 0.5) << "dash style " << r.dash;
        EXPECT_FALSE(p.IsVisible({7, 0})) << "first gap";
    }
}

TEST(Widen, ZeroWidthGivesNothing) {
    GraphicsPath p = Segment({0, 0}, {10, 0});
    p.Widen(PenOf(0, CapRound));
    EXPECT_TRUE(p.IsEmpty());
}

// A finely flattened curve under a pen far wider than its detail (what a
// damaged file can hold) once took Clipper minutes to untangle; the outline
// must stay small and still cover the whole curve, with the pen's reach.
TEST(Widen, HugePenOverAFineCurveStaysSmallAndCoversTheCurve) {
    GraphicsPath wiggle;
    std::vector<PointF> points;
    for (int i = 0; i <= 20000; ++i) {
        const float x = float(i) * 0.05f;
        points.emplace_back(x, 2.0f * std::sin(x));
    }
    for (std::size_t i = 1; i < points.size(); ++i) wiggle.AddLine(points[i - 1], points[i]);
    const float width = 20000.0f;
    GraphicsPath wide = wiggle;
    wide.Widen(PenOf(width, CapRound));
    EXPECT_LT(wide.PointCount(), 2000u);
    for (std::size_t i = 0; i < points.size(); i += 997) EXPECT_TRUE(wide.IsVisible(points[i])) << i;
    // The reach of the pen, less the arc tolerance it is allowed.
    EXPECT_TRUE(wide.IsVisible({500.0f, width / 2 * 0.99f}));
    EXPECT_TRUE(wide.IsVisible({-width / 2 * 0.99f, 0.0f}));
    EXPECT_FALSE(wide.IsVisible({500.0f, width / 2 * 1.01f + 2.0f}));
}

// Lines of many points are widened in overlapping pieces; the pieces must
// cover exactly what the whole line covers, joins and caps included.
TEST(Widen, LongLinesCoverWhatTheirShapeDoes) {
    const float L = 300, w = 10;
    // Each side of the square (or the segment) split into this many points.
    const int n = 700;
    auto sideOf = [&](PointF a, PointF b, std::vector<PointF>& out) {
        for (int i = 0; i < n; ++i) {
            const float t = float(i) / n;
            out.emplace_back(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t);
        }
    };
    struct Row {
        const char* name;
        bool closed;
        int cap, join;
        double area;
    } rows[] = {
        {"open, square caps", false, CapSquare, JoinMiter, (L + w) * w},
        {"open, round caps", false, CapRound, JoinRound, L * w + M_PI * (w / 2) * (w / 2)},
        {"closed square, mitred corners", true, CapFlat, JoinMiter, (L + w) * (L + w) - (L - w) * (L - w)},
    };
    for (const Row& r : rows) {
        std::vector<PointF> pts;
        if (r.closed) {
            sideOf({0, 0}, {L, 0}, pts);
            sideOf({L, 0}, {L, L}, pts);
            sideOf({L, L}, {0, L}, pts);
            sideOf({0, L}, {0, 0}, pts);
        } else {
            sideOf({0, 0}, {L, 0}, pts);
            pts.emplace_back(L, 0);
        }
        GraphicsPath p;
        p.AddLines(pts.data(), pts.size());
        if (r.closed) p.CloseFigure();
        p.Widen(PenOf(w, r.cap, r.join));
        EXPECT_NEAR(AreaOf(p), r.area, r.area * 0.002) << r.name;
        // The middle of the ring stays empty; the stroke is whole along the line.
        if (r.closed) {
            EXPECT_FALSE(p.IsVisible({L / 2, L / 2})) << r.name;
        }
        for (const PointF& q : pts) ASSERT_TRUE(p.IsVisible(q)) << r.name << " at " << q.x << "," << q.y;
    }
}
