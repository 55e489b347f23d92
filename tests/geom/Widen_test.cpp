#include <gtest/gtest.h>

#include <cmath>

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
        {DashDash, 8, 8 * 6.0},
        {DashDot, 16, 16 * 2.0},  // the last dot ends exactly at the line's end
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
