// The Gerber and Excellon readers on small files written here, and the import
// that makes document objects of their pictures.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "import/Fabgeometry.h"
#include "import/Fabimport.h"
#include "import/Fabreader.h"
#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"

namespace {

using Kind = TFabItem::Kind;

TFabPicture Gerber(const std::string& text) {
    TFabPicture picture;
    std::string error;
    EXPECT_TRUE(ReadGerber(text, "t.gbr", picture, error)) << error;
    return picture;
}

std::string Mm(const std::string& body) {
    return "%FSLAX36Y36*%\n%MOMM*%\n" + body + "M02*\n";
}

// The area a filled chain covers, in mm².
double AreaOf(const std::vector<TFabPoint>& chain) {
    return std::fabs(fab::CoveredArea({fab::FlattenChain(chain)}, ClipperLib::pftNonZero)) / 1e12;
}

// The largest distance of the chain's cubic curves from the circle, sampled.
double WorstRadiusError(const std::vector<TFabPoint>& chain, TFabPoint c, double r) {
    double worst = 0;
    for (std::size_t i = 0; i + 3 < chain.size(); i += 3)
        for (int s = 0; s <= 16; ++s) {
            const double t = s / 16.0, u = 1 - t;
            const double x = u * u * u * chain[i].x + 3 * u * u * t * chain[i + 1].x +
                             3 * u * t * t * chain[i + 2].x + t * t * t * chain[i + 3].x;
            const double y = u * u * u * chain[i].y + 3 * u * u * t * chain[i + 1].y +
                             3 * u * t * t * chain[i + 2].y + t * t * t * chain[i + 3].y;
            worst = std::max(worst, std::fabs(std::hypot(x - c.x, y - c.y) - r));
        }
    return worst;
}

TEST(GerberReader, CoordinateFormatsAndUnits) {
    struct Case {
        const char* head;
        const char* word;
        double x, y;
    } cases[] = {
        {"%FSLAX24Y24*%%MOIN*%", "X12500Y-5000D03*", 1.25 * 25.4, -0.5 * 25.4},  // leading zeros left out
        {"%FSTAX24Y24*%%MOIN*%", "X0125Y-005D03*", 1.25 * 25.4, -0.5 * 25.4},    // trailing zeros left out
        {"%FSLAX33Y33*%%MOMM*%", "X1500Y2D03*", 1.5, 0.002},
        {"%FSLAX33Y33*%G71*", "X1500Y2D03*", 1.5, 0.002},                     // the old unit code
        {"%FSLIX33Y33*%%MOMM*%", "X1000Y1000D02*X500Y-250D03*", 1.5, 0.75},   // incremental
        {"%FSLAX33Y33*%%MOMM*%%OFA1.0B-2.0*%", "X1000Y1000D03*", 2.0, -1.0},  // an image offset
        {"%FSLAX33Y33*%%MOMM*%%MIA1B0*%", "X1000Y1000D03*", -1.0, 1.0},       // mirrored in x
        {"%FSLAX33Y33*%%MOMM*%%SFA2B0.5*%", "X1000Y1000D03*", 2.0, 0.5},      // scaled
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.head) + c.word);
        const TFabPicture p = Gerber(std::string(c.head) + "%ADD10C,0.1*%\nD10*\n" + c.word + "\nM02*\n");
        ASSERT_EQ(p.items.size(), 1u);
        EXPECT_NEAR(p.items[0].centre.x, c.x, 1e-9);
        EXPECT_NEAR(p.items[0].centre.y, c.y, 1e-9);
    }
}

TEST(GerberReader, ConsecutiveDrawsChainIntoOneStrokeUntilAMoveOrAnotherAperture) {
    const TFabPicture p =
        Gerber(Mm("%ADD10C,0.25*%\n%ADD11R,0.5X0.5*%\nD10*\nX0Y0D02*\nX1000000Y0D01*\n"
                  "Y1000000D01*\nX2000000Y0D02*\nX3000000D01*\nD11*\nX4000000D01*\n"));
    ASSERT_EQ(p.items.size(), 3u);
    EXPECT_EQ(p.items[0].kind, Kind::Stroke);
    EXPECT_EQ(p.items[0].chain.size(), 7u);  // two segments
    EXPECT_DOUBLE_EQ(p.items[0].width, 0.25);
    EXPECT_FALSE(p.items[0].squareCap);
    EXPECT_DOUBLE_EQ(p.items[0].chain.back().y, 1.0);
    EXPECT_EQ(p.items[1].chain.size(), 4u);  // after the move: a stroke of its own
    EXPECT_TRUE(p.items[2].squareCap);       // a square pen along an axis
    EXPECT_DOUBLE_EQ(p.items[2].width, 0.5);
}

TEST(GerberReader, ArcsStayWithinAMicronOfTheCircle) {
    struct Case {
        const char* name;
        std::string body;
        TFabPoint centre;
        double radius, sweep;  // sweep in turns, counter-clockwise positive
    } cases[] = {
        {"quarter, counter-clockwise",
         "G75*\nX5000000Y0D02*\nG03*\nX0Y5000000I-5000000J0D01*\n",
         {0, 0},
         5,
         0.25},
        {"half, clockwise", "G75*\nX5000000Y0D02*\nG02*\nX-5000000Y0I-5000000J0D01*\n", {0, 0}, 5, -0.5},
        {"full circle", "G75*\nX200000000Y0D02*\nG03*\nX200000000Y0I-200000000J0D01*\n", {0, 0}, 200, 1},
        // Single quadrant: the offsets have no sign; the centre is the one that fits.
        {"single quadrant", "G74*\nX5000000Y0D02*\nG03*\nX0Y5000000I5000000J0D01*\n", {0, 0}, 5, 0.25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TFabPicture p = Gerber(Mm("%ADD10C,0.1*%\nD10*\n" + c.body));
        ASSERT_EQ(p.items.size(), 1u);
        const std::vector<TFabPoint>& chain = p.items[0].chain;
        EXPECT_LT(WorstRadiusError(chain, c.centre, c.radius), 0.001);
        // The turn swept, from the control polygon's angles.
        double turned = 0;
        for (std::size_t i = 0; i + 3 < chain.size(); i += 3) {
            double d = std::atan2(chain[i + 3].y, chain[i + 3].x) - std::atan2(chain[i].y, chain[i].x);
            while (d > std::numbers::pi) d -= 2 * std::numbers::pi;
            while (d < -std::numbers::pi) d += 2 * std::numbers::pi;
            turned += d;
        }
        EXPECT_NEAR(turned / (2 * std::numbers::pi), c.sweep, 1e-9);
    }
}

TEST(GerberReader, FlashesOfEachApertureKind) {
    const TFabPicture p = Gerber(
        Mm("%ADD10C,1.0*%\n%ADD11R,2.0X1.0*%\n%ADD12O,3.0X1.0*%\n%ADD13P,2.0X4X45*%\n%ADD14C,2.0X1.0*%\n"
           "%AMSQHOLE*\n0 a 4 by 2 bar less a circle of diameter 1, then a square half outside*\n"
           "$3=$1/4*\n21,1,$1,$2,0,0,0*\n1,0,$3,0,0*\n21,1,1,1,$1x0.5,0,0*%\n%ADD15SQHOLE,4X2*%\n"
           "D10*\nX0Y0D03*\nD11*\nD03*\nD12*\nD03*\nD13*\nD03*\nD14*\nD03*\nD15*\nD03*\n"));
    ASSERT_EQ(p.items.size(), 6u);
    EXPECT_EQ(p.items[0].kind, Kind::Circle);
    EXPECT_EQ(p.items[1].kind, Kind::Rect);
    EXPECT_DOUBLE_EQ(p.items[1].height, 1.0);
    EXPECT_EQ(p.items[2].kind, Kind::Area);
    EXPECT_NEAR(AreaOf(p.items[2].chain), 2.0 + std::numbers::pi / 4, 1e-3);  // obround
    EXPECT_NEAR(AreaOf(p.items[3].chain), 2.0, 1e-5);                         // square as a polygon
    EXPECT_NEAR(AreaOf(p.items[4].chain), std::numbers::pi * 0.75, 1e-3);     // ring: the hole is empty
    // The macro: 8 less the hole (pi/4), plus the half of the square outside the bar (0.5).
    EXPECT_NEAR(AreaOf(p.items[5].chain), 8 - std::numbers::pi / 4 + 0.5, 2e-3);
}

TEST(GerberReader, RegionContoursMakeHolesAndLeadingClearRegionsAreCombined) {
    const std::string square = "X0Y0D02*\nX10000000D01*\nY10000000D01*\nX0D01*\nY0D01*\n";
    const std::string inner =
        "X4000000Y4000000D02*\nX6000000D01*\nY6000000D01*\nX4000000D01*\nY4000000D01*\n";
    struct Case {
        const char* name;
        std::string body;
        double area;
    } cases[] = {
        {"one contour", "G36*\n" + square + "G37*\n", 100},
        // A hole cut into the contour: in along a cut, round the hole the other way, back out.
        {"cut-in hole",
         "G36*\nX0Y0D02*\nX10000000D01*\nY10000000D01*\nX0D01*\nY4000000D01*\nX4000000D01*\n"
         "Y6000000D01*\nX6000000D01*\nY4000000D01*\nX0D01*\nY0D01*\nG37*\n",
         96},
        // The same hole run the same way round as the outline: still a hole, as other readers show it.
        {"hole run the same way",
         "G36*\nX0Y0D02*\nX10000000D01*\nY10000000D01*\nX0D01*\nY4000000D01*\n"
         "X4000000D01*\nX6000000D01*\nY6000000D01*\nX4000000D01*\nY4000000D01*\nX0D01*\n"
         "Y0D01*\nG37*\n",
         96},
        // Contours of one region are filled each on its own: two areas, 100 and 4.
        {"two contours", "G36*\n" + square + inner + "G37*\n", 104},
        // A clear region after the dark one takes its area away.
        {"clear region", "G36*\n" + square + "G37*\n%LPC*%\nG36*\n" + inner + "G37*\n", 96},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TFabPicture p = Gerber(Mm("%ADD10C,0.1*%\n" + c.body));
        double area = 0;
        for (const TFabItem& item : p.items) {
            EXPECT_EQ(item.kind, Kind::Area);
            EXPECT_FALSE(item.clear);
            area += AreaOf(item.chain);
        }
        EXPECT_NEAR(area, c.area, 1e-6);
    }
}

TEST(GerberReader, StepRepeatAndBlocksCopyWhatTheyDraw) {
    const TFabPicture sr =
        Gerber(Mm("%ADD10C,0.5*%\n%SRX3Y2I5.0J4.0*%\nD10*\nX1000000Y1000000D03*\n%SR*%\n"));
    ASSERT_EQ(sr.items.size(), 6u);
    EXPECT_DOUBLE_EQ(sr.items.back().centre.x, 11.0);
    EXPECT_DOUBLE_EQ(sr.items.back().centre.y, 5.0);

    // A block of a dark and a clear flash, flashed once dark and once clear:
    // the clear flash of the block turns the polarity of what it holds.
    const TFabPicture ab =
        Gerber(Mm("%ADD10C,0.5*%\n%ABD20*%\nD10*\nX0Y0D03*\n%LPC*%\nX1000000Y0D03*\n%LPD*%\n"
                  "%AB*%\nD20*\nX5000000Y0D03*\n%LPC*%\nX9000000Y0D03*\n"));
    ASSERT_EQ(ab.items.size(), 4u);
    EXPECT_DOUBLE_EQ(ab.items[1].centre.x, 6.0);
    EXPECT_FALSE(ab.items[0].clear);
    EXPECT_TRUE(ab.items[1].clear);
    EXPECT_TRUE(ab.items[2].clear);
    EXPECT_FALSE(ab.items[3].clear);
}

TEST(GerberReader, FailuresNameFileLineAndCommand) {
    struct Case {
        std::string text;
        const char* expected;
    } cases[] = {
        {Mm("%ADD10C,0.1*%\nD11*\n"), "t.gbr:4: D11: aperture D11 is not defined"},
        {Mm("%ADD10C,0.1*%\nD10*\nX20000000000Y0D03*\n"),
         "t.gbr:5: X20000000000Y0D03: coordinate more than 10 m"},
        {Mm("%SRX200Y200I1J1*%\n"), "t.gbr:3: %SRX200Y200I1J1: step and repeat over 10 000 cells"},
        {Mm("%AMBAD*\n1,1,1/0,0,0*%\n%ADD10BAD*%\n"), "%ADD10BAD: division by zero"},
        {Mm("%AMM*\n6,0,0,1,0.1,0.1,3,0.1,1,0*%\n%ADD10M*%\n"), "macro primitive 6 is not supported"},
        {"%FSLAX36Y36*%\n%MOMM*%\n%ADD10C,0.1*%\nD10*\nX0Y0D0",
         "t.gbr:5: X0Y0D0: command without its closing *"},
        {"%FSLAX36Y36*%\n%MOMM", "extended command without its closing %"},
        {Mm("X1Y1D03*\n"), "flash before any aperture was selected"},
        {Mm("%ADD10O,1X2*%\nD10*\nX0Y0D02*\nX1000Y0D01*\n"), "neither a circle nor a rectangle"},
    };
    for (const Case& c : cases) {
        TFabPicture picture;
        std::string error;
        EXPECT_FALSE(ReadGerber(c.text, "t.gbr", picture, error)) << c.text;
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        EXPECT_TRUE(picture.items.empty());
    }
    // Blocks nested beyond the limit.
    std::string deep;
    for (int i = 0; i < 20; ++i) deep += "%ABD" + std::to_string(10 + i) + "*%\n";
    TFabPicture picture;
    std::string error;
    EXPECT_FALSE(ReadGerber(Mm(deep), "t.gbr", picture, error));
    EXPECT_NE(error.find("nested too deeply"), std::string::npos) << error;
}

TEST(ExcellonReader, UnitsZeroFormatsToolsAndSlots) {
    struct Case {
        const char* name;
        std::string text;
        double x, y, diameter;
    } cases[] = {
        {"metric, decimal", "M48\nMETRIC,TZ\nT1C0.800\n%\nT1\nX12.5Y-3.0\nM30\n", 12.5, -3.0, 0.8},
        {"inch, leading zeros kept", "M48\nINCH,LZ\nT1C0.035\n%\nT1\nX0125Y005\nM30\n", 1.25 * 25.4,
         0.5 * 25.4, 0.035 * 25.4},
        {"inch, trailing zeros kept", "M48\nINCH,TZ\nT1C0.035\n%\nT1\nX12500Y-5000\nM30\n", 1.25 * 25.4,
         -0.5 * 25.4, 0.035 * 25.4},
        {"metric with a digit format", "M48\nMETRIC,LZ,000.000\nT2C1.0\n%\nT2\nX001500Y0025\nM30\n", 1.5, 2.5,
         1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(DetectFabKind(c.text), TFabKind::Excellon);
        TFabPicture p;
        std::string error;
        ASSERT_TRUE(ReadExcellon(c.text, "d.drl", p, error)) << error;
        ASSERT_EQ(p.items.size(), 1u);
        EXPECT_EQ(p.items[0].kind, Kind::Circle);
        EXPECT_NEAR(p.items[0].centre.x, c.x, 1e-9);
        EXPECT_NEAR(p.items[0].centre.y, c.y, 1e-9);
        EXPECT_NEAR(p.items[0].width, c.diameter, 1e-9);
    }
    TFabPicture slot;
    std::string error;
    ASSERT_TRUE(ReadExcellon("M48\nMETRIC\nT1C1.0\n%\nT1\nX0Y0G85X4.0Y0\nM30\n", "d.drl", slot, error))
        << error;
    ASSERT_EQ(slot.items.size(), 1u);
    EXPECT_EQ(slot.items[0].kind, Kind::Area);
    EXPECT_NEAR(AreaOf(slot.items[0].chain), 4.0 + std::numbers::pi / 4, 1e-3);

    EXPECT_FALSE(ReadExcellon("M48\nMETRIC\nT1C1.0\n%\nT2\nM30\n", "d.drl", slot, error));
    EXPECT_NE(error.find("d.drl:5: T2: tool T2 is not defined"), std::string::npos) << error;
}

TEST(FabImport, ObjectsOnTheirLayersWithClearPolarityAsCutOuts) {
    TVemoDocument doc;
    const int layersBefore = doc.GetLayerList().Count();
    const std::string copper =
        Mm("%TF.FileFunction,Copper,L1,Top*%\n%ADD10C,0.5*%\n%ADD11R,1X2*%\nD10*\nX0Y0D02*\nX5000000Y0D01*\n"
           "%LPC*%\nD11*\nX2000000Y0D03*\n%LPD*%\nD10*\nX0Y1000000D03*\n");
    const TFabImportResult r =
        ImportFab({{"top.gbr", copper}, {"other.gbr", Mm("%ADD10C,1*%\nD10*\nX0Y0D03*\n")}},
                  {{"other.gbr", "extra"}}, doc);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.files.size(), 2u);
    EXPECT_EQ(r.files[0].layer, "component");
    EXPECT_EQ(r.files[1].layer, "extra");
    EXPECT_EQ(doc.GetLayerList().Count(), layersBefore + 1);

    // {dark after the clear one, {stroke, clear rectangle}}: the clear
    // rectangle erases only the stroke drawn before it.
    const TVemoGroup* top = r.files[0].group;
    ASSERT_EQ(top->GetChildCount(), 2);
    EXPECT_TRUE(dynamic_cast<const TVemoEllipse*>(top->GetChild(0)));
    const auto* first = dynamic_cast<const TVemoGroup*>(top->GetChild(1));
    ASSERT_TRUE(first);
    ASSERT_EQ(first->GetChildCount(), 2);
    const auto* stroke = dynamic_cast<const TVemoPath*>(first->GetChild(0));
    ASSERT_TRUE(stroke);
    EXPECT_FLOAT_EQ(stroke->GetSurface()->GetWidth(), 5.0f);  // 0.5 mm in document units
    EXPECT_EQ(stroke->GetSurface()->GetCap(), geom::CapRound);
    EXPECT_EQ(stroke->GetLayer()->GetName(), "component");
    const auto* cut = dynamic_cast<const TVemoRect*>(first->GetChild(1));
    ASSERT_TRUE(cut);
    EXPECT_TRUE(cut->IsCutOut());
    // The file's origin is the design area's bottom-left corner, y up.
    RectF bounds;
    cut->GetBounds(bounds);
    EXPECT_NEAR(bounds.x + bounds.width / 2, doc.GetAreaX() + 20.0, 1e-3);
    EXPECT_NEAR(bounds.y + bounds.height / 2, doc.GetAreaY() + doc.GetAreaHeight(), 1e-3);
}

TEST(FabImport, NothingIsAddedWhenAnyFileFails) {
    TVemoDocument doc;
    const int layersBefore = doc.GetLayerList().Count();
    const int childrenBefore = doc.GetRoot().GetChildCount();
    const TFabImportResult r =
        ImportFab({{"good.gbr", Mm("%ADD10C,1*%\nD10*\nX0Y0D03*\n")}, {"bad.gbr", Mm("D10*\n")}}, {}, doc);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("bad.gbr:3: D10"), std::string::npos) << r.error;
    EXPECT_EQ(doc.GetLayerList().Count(), layersBefore);
    EXPECT_EQ(doc.GetRoot().GetChildCount(), childrenBefore);
}

}  // namespace
