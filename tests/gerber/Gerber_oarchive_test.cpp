#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "gerber/Gerber_oarchive.h"
#include "tests/gerber/Gerbertest.h"

namespace {

using gerbertest::Parse;
using gerbertest::ParseCoord;
using gerbertest::Surface;
using gerbertest::TCoord;
using gerbertest::TParsedFile;

// The design area of the examples: left 0, top 0, height 750.
struct TArchive {
    TVemoLayerPtr layer = std::make_shared<TVemoLayer>(0xFF0000FFu, "top");
    TGerber_oarchive archive{layer};
    TArchive() {
        archive.offsetX = 0.0;
        archive.offsetY = 750.0;
    }
    TParsedFile Flush() {
        std::string file, error;
        EXPECT_TRUE(archive.Flush(file, error)) << error;
        TParsedFile parsed = Parse(file);
        EXPECT_TRUE(parsed.endsWithM02);
        return parsed;
    }
};

GraphicsPath Line(PointF a, PointF b) {
    GraphicsPath path;
    path.AddLine(a, b);
    return path;
}

// The rotation with cosine 0.6 and sine 0.8 (about 53.13 degrees), then a move to (200, 200).
const Matrix kTurn53(0.6f, 0.8f, -0.8f, 0.6f, 200.0f, 200.0f);

TEST(GerberArchive, ItemsBecomeTheseLines) {
    struct Row {
        const char* name;
        std::function<void(TGerber_oarchive&)> add;
        std::vector<std::string> apertures;
        std::vector<std::string> body;
    } rows[] = {
        {"filled circle: one flash",
         [](TGerber_oarchive& a) {
             a.AddEllipse(Surface(0, true), {100, 100, 10, 10}, Matrix());
         },
         {"%ADD10C,1.000*%"},
         {"G54D10*", "X10500Y64500D03*"}},
        {"filled circle under scale 2: the flash is scaled as on the screen, then the pen widens it",
         [](TGerber_oarchive& a) {
             Matrix m;
             m.Scale(2, 2);
             m.Translate(105, 105);
             a.AddEllipse(Surface(2, true), {-5, -5, 10, 10}, m);
         },
         {"%ADD10C,2.200*%"},
         {"G54D10*", "X10500Y64500D03*"}},
        {"filled circle stretched on one axis: an ellipse, so outlined and hatched",
         [](TGerber_oarchive& a) {
             a.AddEllipse(Surface(0, true), {-5, -5, 10, 10}, Matrix(3, 0, 0, 1, 105, 105));
         },
         {"%ADD10C,0.300*%"},
         {}},
        {"filled rectangle, pen 0.1, upright: rectangle flash",
         [](TGerber_oarchive& a) {
             a.AddRect(Surface(0.1f, true), {-20, -5, 40, 10}, Matrix(1, 0, 0, 1, 100, 100));
         },
         {"%ADD10R,4.000X1.000*%"},
         {"G54D10*", "X10000Y65000D03*"}},
        {"filled rectangle, quarter turn: the flash swaps its sides",
         [](TGerber_oarchive& a) {
             a.AddRect(Surface(0, true), {-20, -5, 40, 10}, Matrix(0, 1, -1, 0, 100, 100));
         },
         {"%ADD10R,1.000X4.000*%"},
         {"G54D10*", "X10000Y65000D03*"}},
        {"filled rectangle, pen 0.11: outlined (then hatched)",
         [](TGerber_oarchive& a) {
             a.AddRect(Surface(0.11f, true), {80, 95, 40, 10}, Matrix());
         },
         {"%ADD10C,0.011*%"},
         {"G54D10*", "X8000Y65500D02*", "X12000Y65500D01*", "X12000Y64500D01*", "X8000Y64500D01*",
          "X8000Y65500D01*", "G54D10*"}},
        {"unfilled rectangle: outline with its own pen",
         [](TGerber_oarchive& a) {
             a.AddRect(Surface(3, false), {200, 100, 50, 20}, Matrix());
         },
         {"%ADD10C,0.300*%"},
         {"G54D10*", "X20000Y65000D02*", "X25000Y65000D01*", "X25000Y63000D01*", "X20000Y63000D01*",
          "X20000Y65000D01*"}},
        {"oblique 40 x 10 filled rectangle: a square-ended stroke of width 10",
         [](TGerber_oarchive& a) {
             a.AddRect(Surface(0, true), {-20, -5, 40, 10}, kTurn53);
         },
         {"%ADD10P,1.414X4X-8*%", "%ADD11C,1.000*%"},
         {"G54D10*", "X19100Y56200D03*", "G54D11*", "X19100Y56200D02*", "X20900Y53800D01*", "G54D10*",
          "X20900Y53800D03*"}},
        {"oblique 40.05 x 40 filled rectangle: outlined with the default width, then hatched",
         [](TGerber_oarchive& a) {
             a.AddRect(Surface(0, true), {-20.025f, -20, 40.05f, 40}, kTurn53);
         },
         {"%ADD10C,0.300*%"},
         // 545.98 and 521.98 land a hair below in float: rounding down gives 54597 and 52197.
         {"G54D10*", "X20398Y57802D02*", "X22801Y54597D01*", "X19601Y52197D01*", "X17198Y55402D01*",
          "X20398Y57802D01*", "G54D10*", "X17198Y55402D02*"}},
        {"scale 2 keeps the sides upright: the flash takes the scaled size",
         [](TGerber_oarchive& a) {
             a.AddRect(Surface(0, true), {-20, -5, 40, 10}, Matrix(2, 0, 0, 2, 100, 100));
         },
         {"%ADD10R,8.000X2.000*%"},
         {"G54D10*", "X10000Y65000D03*"}},
        {"a quarter turn with unlike scales: each scale goes with the side it stretches",
         [](TGerber_oarchive& a) {
             a.AddRect(Surface(0, true), {-20, -5, 40, 10}, Matrix(0, 3, -2, 0, 100, 100));
         },
         {"%ADD10R,2.000X12.000*%"},
         {"G54D10*", "X10000Y65000D03*"}},
        {"turned and scaled alike on both axes: the bar's stroke is as wide as the screen shows",
         [](TGerber_oarchive& a) {
             a.AddRect(Surface(0, true), {-20, -5, 40, 10}, Matrix(1.2f, 1.6f, -1.6f, 1.2f, 200, 200));
         },
         {"%ADD10P,2.828X4X-8*%", "%ADD11C,2.000*%"},
         {"G54D10*", "X18200Y57400D03*", "G54D11*", "X18200Y57400D02*", "X21800Y52600D01*", "G54D10*",
          "X21800Y52600D03*"}},
        {"turned and sheared: only the outline shows the shape",
         [](TGerber_oarchive& a) {
             a.AddRect(Surface(0, true), {-20, -5, 40, 10}, Matrix(0.6f, 0.8f, 0.0f, 1.0f, 200, 200));
         },
         {"%ADD10C,0.300*%"},
         {}},
        {"a stroke thinner than 1 is widened to 1 by its style",
         [](TGerber_oarchive& a) {
             a.AddRect(Surface(0, true), {-20, -0.25f, 40, 0.5f}, kTurn53);
         },
         {"%ADD10P,0.141X4X-8*%", "%ADD11C,0.100*%"},
         // 188.15 and 215.8 land a hair below in float: rounding down gives 18814 and 53419.
         {"G54D10*", "X18814Y56580D03*", "G54D11*", "X18814Y56580D02*", "X21185Y53419D01*", "G54D10*",
          "X21185Y53419D03*"}},
        {"square caps in direction (1, 1): angle 45, polygon at 0",
         [](TGerber_oarchive& a) {
             a.AddPath(Surface(3, false, geom::CapSquare), Line({100, 100}, {110, 110}));
         },
         {"%ADD10P,0.424X4X0*%", "%ADD11C,0.300*%"},
         {"G54D10*", "X10000Y65000D03*", "G54D11*", "X10000Y65000D02*", "X11000Y64000D01*", "G54D10*",
          "X11000Y64000D03*"}},
        {"square caps in direction (2, 1): angle 26, polygon at 19",
         [](TGerber_oarchive& a) {
             a.AddPath(Surface(3, false, geom::CapSquare), Line({100, 100}, {120, 110}));
         },
         {"%ADD10P,0.424X4X19*%", "%ADD11C,0.300*%"},
         {"G54D10*", "X10000Y65000D03*", "G54D11*", "X10000Y65000D02*", "X12000Y64000D01*", "G54D10*",
          "X12000Y64000D03*"}},
        {"square caps on a vertical stroke: angle 0",
         [](TGerber_oarchive& a) {
             a.AddPath(Surface(3, false, geom::CapSquare), Line({100, 100}, {100, 120}));
         },
         {"%ADD10R,0.300X0.300*%", "%ADD11C,0.300*%"},
         {"G54D10*", "X10000Y65000D03*", "G54D11*", "X10000Y65000D02*", "X10000Y63000D01*", "G54D10*",
          "X10000Y63000D03*"}},
        {"a lone point with square caps is an upright square flash, as the screen draws it",
         [](TGerber_oarchive& a) {
             GraphicsPath dot;
             const PointF p(100, 100);
             dot.AddLines(&p, 1);
             a.AddPath(Surface(3, false, geom::CapSquare), dot);
         },
         {"%ADD10R,0.300X0.300*%"},
         {"G54D10*", "X10000Y65000D03*"}},
        {"a land: an open dot of a round pen, filled or not, is a round flash; a closed one stays a stroke",
         [](TGerber_oarchive& a) {
             a.AddPath(Surface(16, false), Line({100, 100}, {100, 100}));
             a.AddPath(Surface(16, true), Line({200, 100}, {200, 100}));
             GraphicsPath closed;
             const PointF three[3] = {{300, 100}, {300, 100}, {300, 100}};
             closed.AddPolygon(three, 3);
             a.AddPath(Surface(16, false), closed);
         },
         {"%ADD10C,1.600*%"},
         {"G54D10*", "X10000Y65000D03*", "G54D10*", "X20000Y65000D03*", "G54D10*", "X30000Y65000D02*"}},
        {"a dot of a flat pen is no land: it stays the stroke it was",
         [](TGerber_oarchive& a) {
             a.AddPath(Surface(16, false, geom::CapFlat), Line({100, 100}, {100, 100}));
         },
         {"%ADD10C,1.600*%"},
         {"G54D10*", "X10000Y65000D02*", "X10000Y65000D01*"}},
        {"open figures are joined by a draw; a closed one ends where it began",
         [](TGerber_oarchive& a) {
             GraphicsPath path;
             path.AddLine({0, 0}, {10, 0});
             path.StartFigure();
             path.AddLine({20, 0}, {30, 0});
             const PointF tri[3] = {{0, 10}, {10, 10}, {0, 20}};
             path.AddPolygon(tri, 3);
             a.AddPath(Surface(3, false), path);
         },
         {"%ADD10C,0.300*%"},
         {"G54D10*", "X0Y75000D02*", "X1000Y75000D01*", "X2000Y75000D01*", "X3000Y75000D01*", "X0Y74000D01*",
          "X1000Y74000D01*", "X0Y73000D01*", "X0Y75000D01*"}},
        {"a closed figure followed by another: each starts with a selection and a move",
         [](TGerber_oarchive& a) {
             GraphicsPath path;
             const PointF one[3] = {{0, 0}, {10, 0}, {0, 10}};
             const PointF two[3] = {{20, 0}, {30, 0}, {20, 10}};
             path.AddPolygon(one, 3);
             path.AddPolygon(two, 3);
             a.AddPath(Surface(3, false), path);
         },
         {"%ADD10C,0.300*%"},
         {"G54D10*", "X0Y75000D02*", "X1000Y75000D01*", "X0Y74000D01*", "X0Y75000D01*", "G54D10*",
          "X2000Y75000D02*", "X3000Y75000D01*", "X2000Y74000D01*", "X2000Y75000D01*"}},
        {"a filled item without points writes nothing",
         [](TGerber_oarchive& a) { a.AddPath(Surface(0, true), GraphicsPath()); },
         {},
         {}},
        {"coordinates left of and below the area are negative; rounding is downwards",
         [](TGerber_oarchive& a) {
             a.AddEllipse(Surface(0, true), {-10.5f, 799.5f, 1, 1}, Matrix());
         },
         {"%ADD10C,0.100*%"},
         {"G54D10*", "X-1000Y-5000D03*"}},
        {"D-codes follow body order; flash and stroke share a diameter, the next float gets its own",
         [](TGerber_oarchive& a) {
             a.AddPath(Surface(3, false), Line({0, 0}, {10, 0}));
             a.AddEllipse(Surface(0, true), {20, 0, 10, 10}, Matrix());
             a.AddEllipse(Surface(0, true), {40, 0, 3, 3}, Matrix());
             a.AddEllipse(Surface(0, true), {50, 0, std::nextafter(3.0f, 4.0f), std::nextafter(3.0f, 4.0f)},
                          Matrix());
         },
         {"%ADD10C,0.300*%", "%ADD11C,1.000*%", "%ADD12C,0.300*%"},
         {"G54D10*", "X0Y75000D02*", "X1000Y75000D01*", "G54D11*", "X2500Y74500D03*", "G54D10*",
          "X4150Y74850D03*", "G54D12*", "X5150Y74849D03*"}},
    };
    for (const Row& row : rows) {
        TArchive a;
        row.add(a.archive);
        const TParsedFile f = a.Flush();
        EXPECT_EQ(f.header, gerbertest::Header()) << row.name;
        EXPECT_EQ(f.apertures, row.apertures) << row.name;
        // Rows that go on to hatch list only the lines before the hatch spans.
        const std::vector<std::string> head(
            f.body.begin(), f.body.begin() + std::ptrdiff_t(std::min(f.body.size(), row.body.size())));
        EXPECT_EQ(head, row.body) << row.name;
    }
}

TEST(GerberArchive, UnfilledCircleIsAStrokedClosedCurve) {
    TArchive a;
    a.archive.AddEllipse(Surface(3, false), {100, 100, 10, 10}, Matrix());
    const TParsedFile f = a.Flush();
    EXPECT_EQ(f.apertures, std::vector<std::string>{"%ADD10C,0.300*%"});
    ASSERT_GT(f.body.size(), 10u) << "the curve is flattened into many draws";
    EXPECT_EQ(f.body[0], "G54D10*");
    TCoord first, c;
    ASSERT_TRUE(ParseCoord(f.body[1], first));
    EXPECT_EQ(first.d, 2);
    for (std::size_t i = 2; i < f.body.size(); ++i) {
        ASSERT_TRUE(ParseCoord(f.body[i], c)) << f.body[i];
        EXPECT_EQ(c.d, 1) << "no flash, no second move: " << f.body[i];
        // Every point lies on the circle of radius 5 about (105, 105), within the flatness.
        const double r = std::hypot(double(c.x) / 100.0 - 105.0, 750.0 - double(c.y) / 100.0 - 105.0);
        EXPECT_NEAR(r, 5.0, 0.03) << f.body[i];
    }
    EXPECT_EQ(f.body.back(), f.body[1].substr(0, f.body[1].size() - 4) + "D01*") << "it ends where it began";
}

TEST(GerberArchive, ClassifiesTransformsToFiveDecimals) {
    const auto rotated = [](float degrees) {
        Matrix m;
        m.Rotate(degrees);
        return m;
    };
    struct Row {
        const char* name;
        Matrix m;
        int expected;
    } rows[] = {
        {"identity with a move", Matrix(1, 0, 0, 1, 5, 7), TGerber_oarchive::kUpright},
        {"mirrored", Matrix(-1, 0, 0, 1, 0, 0), TGerber_oarchive::kUpright},
        {"within five decimals", Matrix(1.000004f, 0.000004f, 0, 1, 0, 0), TGerber_oarchive::kUpright},
        {"quarter turn", rotated(90), TGerber_oarchive::kQuarterTurn},
        {"three quarter turn", rotated(270), TGerber_oarchive::kQuarterTurn},
        {"quarter turn, mirrored", Matrix(0, -1, -1, 0, 0, 0), TGerber_oarchive::kQuarterTurn},
        {"half turn", rotated(180), TGerber_oarchive::kUpright},
        {"30 degrees", rotated(30), TGerber_oarchive::kOblique},
        {"scale 2", Matrix(2, 0, 0, 2, 0, 0), TGerber_oarchive::kOblique},
        {"off by 1e-5", Matrix(1.00001f, 0, 0, 1, 0, 0), TGerber_oarchive::kOblique},
        {"not a number", Matrix(NAN, 0, 0, 1, 0, 0), TGerber_oarchive::kOblique},
    };
    for (const Row& row : rows)
        EXPECT_EQ(TGerber_oarchive::ClassifyTransform(row.m), row.expected) << row.name;
}

TEST(GerberArchive, EmptyArchiveIsTheHeaderAndTheEndCode) {
    TArchive a;
    std::string file, error;
    ASSERT_TRUE(a.archive.Flush(file, error));
    EXPECT_EQ(file, "G75*\r\nG71*\r\n%OFA0B0*%\r\n%FSLAX33Y33*%\r\n%IPPOS*%\r\n%LPD*%\r\nM02*\r\n");
}

TEST(GerberArchive, CoordinateFormatGrowsOnlyWhenNeeded) {
    struct Row {
        const char* name;
        float x;
        const char* format;
        const char* flash;
    } rows[] = {
        {"999.999 mm fits three digits", 9999.99f, "%FSLAX33Y33*%", "X999999Y0D03*"},
        {"1000.05 mm needs four", 10000.5f, "%FSLAX43Y43*%", "X1000050Y0D03*"},
        {"-1000 mm needs four", -10000.0f, "%FSLAX43Y43*%", "X-1000000Y0D03*"},
        {"999999.999 mm is the widest", 9999999.0f, "%FSLAX63Y63*%", "X999999900Y0D03*"},
    };
    for (const Row& row : rows) {
        TArchive a;
        a.archive.offsetY = 0;
        a.archive.AddEllipse(Surface(0, true), {row.x, 0, 0, 0}, Matrix());
        const TParsedFile f = a.Flush();
        ASSERT_EQ(f.header.size(), 6u) << row.name;
        EXPECT_EQ(f.header[3], row.format) << row.name;
        ASSERT_EQ(f.body.size(), 2u) << row.name;
        EXPECT_EQ(f.body[1], row.flash) << row.name;
    }
    for (float far : {1.0e7f, INFINITY, NAN}) {
        TArchive a;
        a.archive.AddEllipse(Surface(0, true), {far, 0, 1, 1}, Matrix());
        std::string file = "untouched", error;
        EXPECT_FALSE(a.archive.Flush(file, error)) << far;
        EXPECT_EQ(file, "untouched");
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
