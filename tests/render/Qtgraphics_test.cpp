#include "render/Qtgraphics.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <string>
#include <vector>

#include "model/Vemofont.h"

#include "render/Dibwrap.h"

namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFFu;
constexpr Argb kInk = 0xFF000000u;

// Paints on a white w x h buffer with one document unit per pixel, aliased.
template <class Draw>
void Paint(TDIBitmap& b, Draw draw) {
    b.Fill(kWhite);
    QPainter painter(b.PaintDevice());
    TQtGraphics graphics(painter);
    draw(graphics);
}

// The inked columns of row y as [first, last]; {-1, -1} when none.
std::pair<int, int> InkedSpan(const TDIBitmap& b, int y) {
    int first = -1, last = -1;
    for (int x = 0; x < b.Width(); ++x)
        if (b.Pixel(x, y) != kWhite) {
            if (first < 0) first = x;
            last = x;
        }
    return {first, last};
}

TEST(ToQPainterPath, KeepsFiguresCurvesClosuresAndFillRule) {
    GraphicsPath path(geom::FillMode::Winding);
    path.AddRectangle(RectF(0, 0, 10, 5));
    path.StartFigure();
    path.AddBezier(PointF(20, 0), PointF(25, 10), PointF(30, -10), PointF(35, 0));
    path.AddLine(PointF(35, 0), PointF(40, 4));
    const QPainterPath q = render::ToQPainterPath(path);
    EXPECT_EQ(q.fillRule(), Qt::WindingFill);
    // moveTo + 3 lines + the closing line; moveTo, a cubic (3 elements), a line.
    const std::vector<QPainterPath::ElementType> expected = {
        QPainterPath::MoveToElement,  QPainterPath::LineToElement,      QPainterPath::LineToElement,
        QPainterPath::LineToElement,  QPainterPath::LineToElement,      QPainterPath::MoveToElement,
        QPainterPath::CurveToElement, QPainterPath::CurveToDataElement, QPainterPath::CurveToDataElement,
        QPainterPath::LineToElement,
    };
    ASSERT_EQ(q.elementCount(), int(expected.size()));
    for (int i = 0; i < q.elementCount(); ++i) EXPECT_EQ(q.elementAt(i).type, expected[std::size_t(i)]) << i;
    EXPECT_EQ(QPointF(q.elementAt(4)), QPointF(0, 0)) << "the rectangle is closed";
    EXPECT_EQ(QPointF(q.elementAt(8)), QPointF(35, 0));
    EXPECT_EQ(QPointF(q.elementAt(9)), QPointF(40, 4)) << "the open figure stays open";
    path.SetFillMode(geom::FillMode::Alternate);
    EXPECT_EQ(render::ToQPainterPath(path).fillRule(), Qt::OddEvenFill);
}

TEST(TQtGraphics, FillFollowsThePathsFillMode) {
    // Two nested squares turning the same way: a hole only under the alternate rule.
    for (const geom::FillMode mode : {geom::FillMode::Alternate, geom::FillMode::Winding}) {
        GraphicsPath path(mode);
        path.AddRectangle(RectF(2, 2, 36, 36));
        path.AddRectangle(RectF(12, 12, 16, 16));
        TDIBitmap b(40, 40);
        Paint(b, [&](TQtGraphics& g) { g.FillPath(path, kInk); });
        EXPECT_EQ(b.Pixel(5, 20), 0u);
        EXPECT_EQ(b.Pixel(20, 20), mode == geom::FillMode::Winding ? 0u : kWhite);
    }
}

TEST(TQtGraphics, StrokeCapsAndDashes) {
    // A horizontal line from x = 10 to x = 30 along the middle of row 10, pen width 4.
    struct Row {
        const char* name;
        int startCap, endCap, dash;
        std::pair<int, int> span;
    };
    const Row rows[] = {
        {"flat caps end at the line ends", geom::CapFlat, geom::CapFlat, geom::DashSolid, {10, 29}},
        {"square caps reach half the width further",
         geom::CapSquare,
         geom::CapSquare,
         geom::DashSolid,
         {8, 31}},
        {"different caps at the two ends", geom::CapFlat, geom::CapSquare, geom::DashSolid, {10, 31}},
        {"triangle caps", geom::CapTriangle, geom::CapTriangle, geom::DashSolid, {8, 31}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Pen pen;
        pen.width = 4;
        pen.startCap = row.startCap;
        pen.endCap = row.endCap;
        pen.dashStyle = row.dash;
        TDIBitmap b(40, 20);
        Paint(b, [&](TQtGraphics& g) { g.DrawLine(PointF(10, 10.5f), PointF(30, 10.5f), pen); });
        EXPECT_EQ(InkedSpan(b, 10), row.span);
        EXPECT_EQ(InkedSpan(b, 7), std::make_pair(-1, -1)) << "wider than the pen";
        EXPECT_EQ(InkedSpan(b, 13), std::make_pair(-1, -1)) << "wider than the pen";
        EXPECT_NE(InkedSpan(b, 9).first, -1) << "narrower than the pen";
    }
}

TEST(TQtGraphics, DashPatternsInPenWidths) {
    // Dashes of 3 widths and gaps of 1 width at width 2: ink 6 px, paper 2 px.
    struct Row {
        const char* name;
        int dashCap;
        int startCap;
    };
    const Row rows[] = {{"by QPen", geom::CapFlat, geom::CapFlat},
                        {"widened here", geom::CapFlat, geom::CapRound}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Pen pen;
        pen.width = 2;
        pen.dashStyle = geom::DashDash;
        pen.dashCap = row.dashCap;
        pen.startCap = pen.endCap = row.startCap;
        TDIBitmap b(60, 10);
        Paint(b, [&](TQtGraphics& g) { g.DrawLine(PointF(10, 5), PointF(50, 5), pen); });
        std::string marks;
        for (int x = 10; x < 42; ++x) marks += b.Pixel(x, 5) == kWhite ? '.' : '#';
        EXPECT_EQ(marks, "######..######..######..######..");
    }
}

TEST(TQtGraphics, ShapesReachingIntoTheBufferFromOutsideAreDrawn) {
    // A 20 x 20 buffer; each shape lies mostly or wholly outside it.
    struct Row {
        const char* name;
        Matrix transform;
        bool stroke;
        PointF a, b;  // filled rectangle corners, or stroked line ends
        int x, y;     // a pixel the shape must cover
    };
    const Row rows[] = {
        {"fill across the left edge", Matrix(), false, PointF(-50, 5), PointF(3, 10), 1, 7},
        {"wide stroke just above the top", Matrix(), true, PointF(0, -3), PointF(20, -3), 10, 1},
        {"mirrored view", Matrix(-1, 0, 0, 1, 20, 0), false, PointF(18, 2), PointF(40, 6), 0, 4},
        {"scaled down from far away", Matrix(0.01f, 0, 0, 0.01f, 0, 0), false, PointF(100, 100),
         PointF(1900, 300), 10, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TDIBitmap b(20, 20);
        b.Fill(kWhite);
        QPainter painter(b.PaintDevice());
        painter.setWorldTransform(render::ToQTransform(row.transform));
        TQtGraphics g(painter);
        Pen pen;
        pen.width = 10;
        pen.startCap = pen.endCap = geom::CapFlat;
        if (row.stroke) {
            g.DrawLine(row.a, row.b, pen);
        } else {
            GraphicsPath path;
            path.AddRectangle(RectF::FromCorners(row.a, row.b));
            g.FillPath(path, kInk);
        }
        painter.end();
        EXPECT_EQ(b.Pixel(row.x, row.y), 0u);
    }
}

TEST(TQtGraphics, DrawingUnderAWorldTransformLeavesItInPlace) {
    TDIBitmap b(40, 40);
    b.Fill(kWhite);
    QPainter painter(b.PaintDevice());
    const QTransform view = render::ToQTransform(Matrix(2, 0, 0, 2, 10, 0));
    painter.setWorldTransform(view);
    TQtGraphics g(painter);
    GraphicsPath outline;
    outline.AddRectangle(RectF(0, 0, 1, 1));
    g.DrawText(u"A", TVemoFont(), Matrix(1, 0, 0, 1, 500, 500), outline, kInk);
    EXPECT_EQ(painter.worldTransform(), view);
    g.FillRect(RectF(0, 0, 5, 5), kInk);
    painter.end();
    EXPECT_EQ(b.Pixel(10, 0), 0u);
    EXPECT_EQ(b.Pixel(19, 9), 0u);
    EXPECT_EQ(b.Pixel(20, 5), kWhite);
    EXPECT_EQ(b.Pixel(9, 5), kWhite);
}

}  // namespace
