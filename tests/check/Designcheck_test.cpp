// The design-rule check on small boards with known geometry: gaps just under
// and over a rule, touching copper, curves measured against their true
// distance, holes, the board edge, silk over openings, and the run itself.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "archive/Vemodocumentfile.h"
#include "boardgen/Boardgen.h"
#include "boardgen/Hostile.h"
#include "check/Designcheck.h"
#include "geom/Units.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "tests/gerber/Gerbertest.h"

namespace {

using check::CheckDesign;
using check::TCheckReport;
using check::TDesignRules;
using check::TViolation;
using gerbertest::Circle;
using gerbertest::Polyline;
using gerbertest::Rect;
using gerbertest::Surface;

constexpr float kMm = 10.0f;  // document units per millimetre

TVemoLayerPtr Layer(TVemoDocument& doc, const std::string& name) {
    TVemoLayerPtr layer = doc.GetLayerList().Find(name);
    EXPECT_TRUE(layer) << name;
    return layer;
}

// A straight track from a to b (millimetres) of the given width.
std::unique_ptr<TVemoPath> Track(TVemoDocument& doc, const std::string& layer, PointF a, PointF b,
                                 float widthMm) {
    return Polyline(Layer(doc, layer), {{a.x * kMm, a.y * kMm}, {b.x * kMm, b.y * kMm}}, false,
                    Surface(widthMm * kMm, false));
}

// A filled round land of diameter d (mm) at c (mm).
std::unique_ptr<TVemoEllipse> Land(TVemoDocument& doc, const std::string& layer, PointF c, float dMm) {
    return Circle(Layer(doc, layer), {c.x * kMm, c.y * kMm}, dMm * kMm / 2, Surface(0.0f, true));
}

std::vector<TViolation> Of(const TCheckReport& report, const std::string& rule) {
    std::vector<TViolation> out;
    for (const TViolation& v : report.violations)
        if (v.rule == rule) out.push_back(v);
    return out;
}

TCheckReport Check(const TVemoDocument& doc, const TDesignRules& rules = {}) {
    TCheckReport report = CheckDesign(doc, rules);
    EXPECT_TRUE(report.completed) << report.error;
    return report;
}

TEST(DesignCheck, GapJustUnderTheClearanceIsReportedAndJustOverIsNot) {
    // Two parallel tracks 0.3 mm wide, in several directions: the gap between
    // their edges is the centre distance less 0.3 mm.
    struct Case {
        double gap;
        double angle;
        bool reported;
    };
    const Case cases[] = {{0.19, 0, true},   {0.21, 0, false}, {0.19, 90, true},
                          {0.21, 90, false}, {0.19, 33, true}, {0.21, 33, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE("gap " + std::to_string(c.gap) + " at " + std::to_string(c.angle) + " degrees");
        TVemoDocument doc;
        const double t = c.angle * M_PI / 180, ux = std::cos(t), uy = std::sin(t);
        const double off = c.gap + 0.3;  // centre to centre
        const PointF a0(float(20), float(20)), a1(float(20 + 10 * ux), float(20 + 10 * uy));
        const PointF shift(float(-uy * off), float(ux * off));
        doc.GetRoot().AddChild(Track(doc, "solder", a0, a1, 0.3f));
        doc.GetRoot().AddChild(
            Track(doc, "solder", {a0.x + shift.x, a0.y + shift.y}, {a1.x + shift.x, a1.y + shift.y}, 0.3f));
        const TCheckReport report = Check(doc);
        const std::vector<TViolation> found = Of(report, "clearance");
        EXPECT_EQ(report.islands, 2);
        ASSERT_EQ(found.size(), c.reported ? 1u : 0u);
        if (!c.reported) continue;
        EXPECT_NEAR(found[0].measured, c.gap, 0.002);
        EXPECT_DOUBLE_EQ(found[0].required, 0.2);
        EXPECT_EQ(found[0].layer, "solder");
        EXPECT_EQ(found[0].objects.size(), 2u);
        // The midpoint of the closest points lies between the tracks.
        const double mx = units::ToMm((found[0].a.x + found[0].b.x) / 2 - doc.GetAreaX());
        EXPECT_NEAR(found[0].x, mx, 1e-6);
    }
}

TEST(DesignCheck, TouchingCopperIsOneConductor) {
    TVemoDocument doc;
    // A crossing, an end on another track, and a track ending exactly on a land's edge.
    doc.GetRoot().AddChild(Track(doc, "component", {10, 10}, {30, 10}, 0.3f));
    doc.GetRoot().AddChild(Track(doc, "component", {20, 5}, {20, 15}, 0.3f));
    doc.GetRoot().AddChild(Track(doc, "component", {30, 10}, {30, 20}, 0.3f));
    doc.GetRoot().AddChild(Land(doc, "component", {30, 20.5f}, 0.7f));  // its edge on the round end's tip
    doc.GetRoot().AddChild(Track(doc, "component", {30, 20.5f}, {30.1f, 20.5f}, 0.3f));  // inside the land
    const TCheckReport report = Check(doc);
    EXPECT_EQ(report.islands, 1);
    EXPECT_TRUE(Of(report, "clearance").empty());
}

TEST(DesignCheck, CurvedTrackNearALandMeasuresTheTrueGap) {
    TVemoDocument doc;
    // One cubic segment bulging towards a land; the true gap is found by
    // sampling the curve densely.
    const PointF p0(10 * kMm, 10 * kMm), c1(13 * kMm, 16 * kMm), c2(17 * kMm, 16 * kMm),
        p3(20 * kMm, 10 * kMm);
    const PointF land(15.7f * kMm, 15.4f * kMm);
    const float width = 0.4f * kMm, diameter = 1.2f * kMm;
    std::vector<PointF> pts = {p0, c1, c2, p3, p3, p0};
    auto curve = std::make_unique<TVemoPath>();
    curve->SetLayer(Layer(doc, "solder"));
    curve->SetSurface(Surface(width, false));
    ASSERT_TRUE(curve->SetData(pts, std::vector<unsigned char>(pts.size(), 0), false));
    curve->Rebuild();
    doc.GetRoot().AddChild(std::move(curve));
    doc.GetRoot().AddChild(Circle(Layer(doc, "solder"), land, diameter / 2, Surface(0.0f, true)));

    double nearest = std::numeric_limits<double>::infinity();
    for (int i = 0; i <= 200000; ++i) {
        const double t = i / 200000.0, s = 1 - t;
        const double x = s * s * s * p0.x + 3 * s * s * t * c1.x + 3 * s * t * t * c2.x + t * t * t * p3.x;
        const double y = s * s * s * p0.y + 3 * s * s * t * c1.y + 3 * s * t * t * c2.y + t * t * t * p3.y;
        nearest = std::min(nearest, std::hypot(x - land.x, y - land.y));
    }
    const double trueGap = units::ToMm(nearest - width / 2 - diameter / 2);
    ASSERT_GT(trueGap, 0.05);
    ASSERT_LT(trueGap, 0.5);

    TDesignRules rules;
    rules.clearance = 0.6;
    const std::vector<TViolation> found = Of(Check(doc, rules), "clearance");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].measured, trueGap, 0.005);
}

TEST(DesignCheck, CutOutObjectsRemoveCopper) {
    TVemoDocument doc;
    // A filled copper bar split by a cut-out slot 0.15 mm wide: two conductors.
    doc.GetRoot().AddChild(
        Rect(Layer(doc, "solder"), {10 * kMm, 10 * kMm}, {20 * kMm, 12 * kMm}, Surface(0.0f, true)));
    TVemoSurface cut(0.0f, true, true);
    doc.GetRoot().AddChild(Rect(Layer(doc, "solder"), {15 * kMm, 9 * kMm}, {15.15f * kMm, 13 * kMm}, cut));
    const TCheckReport report = Check(doc);
    const std::vector<TViolation> found = Of(report, "clearance");
    EXPECT_EQ(report.islands, 2);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].measured, 0.15, 0.002);
    // The cut-out is no copper of its own: only the bar is named.
    for (const check::TObjectRef& ref : found[0].objects) EXPECT_EQ(ref.path, "0");
}

TEST(DesignCheck, StrokesNarrowerThanTheMinimumWidth) {
    struct Case {
        float width;
        bool fill;
        bool reported;
    };
    const Case cases[] = {
        {0.1f, false, true}, {0.149f, false, true}, {0.15f, false, false}, {0.1f, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + (c.fill ? " filled" : " stroked"));
        TVemoDocument doc;
        doc.GetRoot().AddChild(Rect(Layer(doc, "component"), {10 * kMm, 10 * kMm}, {12 * kMm, 12 * kMm},
                                    Surface(c.width * kMm, c.fill)));
        const std::vector<TViolation> found = Of(Check(doc), "min-width");
        ASSERT_EQ(found.size(), c.reported ? 1u : 0u);
        if (c.reported) {
            EXPECT_NEAR(found[0].measured, c.width, 1e-6);
        }
    }
}

TEST(DesignCheck, HolesNeedARingOfCopperAndADrillInRange) {
    struct Case {
        const char* what;
        float hole, land;  // diameters in mm; no land when 0
        float landShift;   // mm the land is off the hole's centre
        std::vector<std::string> rules;
        double measured;  // of the annular finding
    };
    const Case cases[] = {
        {"ring of 0.4 mm", 0.8f, 1.6f, 0, {}, 0},
        {"ring of 0.1 mm", 0.8f, 1.0f, 0, {"min-annular"}, 0.1},
        {"ring of 0.05 mm on one side", 0.8f, 1.6f, 0.35f, {"min-annular"}, 0.05},
        {"hole breaking out of its land", 0.8f, 1.0f, 0.3f, {"min-annular"}, 0.0},
        {"no copper around", 0.8f, 0, 0, {"min-annular"}, 0.0},
        {"drill too small", 0.2f, 1.0f, 0, {"min-drill"}, 0},
        {"drill too big", 7.0f, 8.0f, 0, {"max-drill"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TVemoDocument doc;
        // Copper elsewhere on the layer, so that it takes part.
        doc.GetRoot().AddChild(Track(doc, "solder", {40, 40}, {45, 40}, 0.3f));
        if (c.land > 0) doc.GetRoot().AddChild(Land(doc, "solder", {20 + c.landShift, 20}, c.land));
        doc.GetRoot().AddChild(Land(doc, "hole", {20, 20}, c.hole));
        const TCheckReport report = Check(doc);
        EXPECT_EQ(report.holes, 1);
        std::vector<std::string> rules;
        for (const TViolation& v : report.violations) {
            rules.push_back(v.rule);
            if (v.rule == "min-annular") {
                EXPECT_NEAR(v.measured, c.measured, 0.003) << v.note;
            }
            if (v.rule == "min-drill" || v.rule == "max-drill") {
                EXPECT_NEAR(v.measured, c.hole, 1e-6);
            }
            EXPECT_NEAR(v.x, 20.0 - units::ToMm(doc.GetAreaX()), 0.01);
        }
        std::sort(rules.begin(), rules.end());
        std::vector<std::string> want = c.rules;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(rules, want);
    }
    // A single-sided board: a land on one side is enough, the other side's
    // copper elsewhere asks nothing of the hole; a hole with no copper on
    // either side is bare on both.
    for (const bool land : {true, false}) {
        SCOPED_TRACE(land ? "land on the solder side" : "no land");
        TVemoDocument doc;
        doc.GetRoot().AddChild(Track(doc, "solder", {40, 40}, {45, 40}, 0.3f));
        doc.GetRoot().AddChild(Track(doc, "component", {40, 50}, {45, 50}, 0.3f));
        if (land) doc.GetRoot().AddChild(Land(doc, "solder", {20, 20}, 1.6f));
        doc.GetRoot().AddChild(Land(doc, "hole", {20, 20}, 0.8f));
        std::vector<std::string> layers;
        for (const TViolation& v : Of(Check(doc), "min-annular")) layers.push_back(v.layer);
        std::sort(layers.begin(), layers.end());
        EXPECT_EQ(layers,
                  land ? std::vector<std::string>{} : (std::vector<std::string>{"component", "solder"}));
    }
}

TEST(DesignCheck, CopperNearOrOutsideTheBoardEdge) {
    struct Case {
        PointF a, b;  // track ends in mm, the board is 10 ... 60 mm square
        const char* note;
        double measured;
    };
    const Case cases[] = {
        {{20, 10.35f}, {40, 10.35f}, "copper too close to the board outline", 0.2},
        {{20, 10.5f}, {40, 10.5f}, nullptr, 0},
        {{20, 5}, {40, 5}, "copper outside the board outline", 0},
        {{20, 5}, {20, 15}, "copper crosses the board outline", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note ? c.note : "clear of the edge");
        TVemoDocument doc;
        doc.GetRoot().AddChild(
            Polyline(Layer(doc, "dimension"),
                     {{10 * kMm, 10 * kMm}, {60 * kMm, 10 * kMm}, {60 * kMm, 60 * kMm}, {10 * kMm, 60 * kMm}},
                     true, Surface(2.0f, false)));
        doc.GetRoot().AddChild(Track(doc, "component", c.a, c.b, 0.3f));
        const std::vector<TViolation> found = Of(Check(doc), "edge-clearance");
        ASSERT_EQ(found.size(), c.note ? 1u : 0u);
        if (!c.note) continue;
        EXPECT_EQ(found[0].note, c.note);
        EXPECT_NEAR(found[0].measured, c.measured, 0.002);
    }
}

TEST(DesignCheck, SilkOverAMaskOpeningOfTheSameSide) {
    TVemoDocument doc;
    doc.GetRoot().AddChild(Land(doc, "stop_cmp", {20, 20}, 2.0f));
    doc.GetRoot().AddChild(Land(doc, "stop_sol", {40, 20}, 2.0f));
    doc.GetRoot().AddChild(Track(doc, "place_cmp", {15, 20}, {25, 20}, 0.2f));  // across the top opening
    doc.GetRoot().AddChild(
        Track(doc, "place_cmp", {35, 20}, {45, 20}, 0.2f));  // over the bottom one: no matter
    doc.GetRoot().AddChild(Track(doc, "place_sol", {15, 30}, {25, 30}, 0.2f));  // near nothing
    const std::vector<TViolation> found = Of(Check(doc), "silk-over-pad");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].layer, "place_cmp");
    EXPECT_NEAR(found[0].measured, 2.0, 0.01);
    EXPECT_NEAR(found[0].x, 20.0 - units::ToMm(doc.GetAreaX()), 0.01);

    TDesignRules off;
    off.silkOverPad = false;
    EXPECT_TRUE(Of(Check(doc, off), "silk-over-pad").empty());
}

TEST(DesignCheck, FindingsNameTheObjectsByPathAndPart) {
    TVemoDocument doc;
    doc.GetRoot().AddChild(Track(doc, "solder", {10, 10}, {20, 10}, 0.3f));
    auto pad = std::make_unique<TVemoGroup>();
    pad->SetName("U1");
    pad->AddChild(Track(doc, "place_cmp", {0, 0}, {1, 0}, 0.2f));
    pad->AddChild(Land(doc, "solder", {15, 10.5f}, 0.4f));  // 0.5 apart less 0.15 and 0.2
    doc.GetRoot().AddChild(std::move(pad));
    const std::vector<TViolation> found = Of(Check(doc), "clearance");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].measured, 0.15, 0.002);
    ASSERT_EQ(found[0].objects.size(), 2u);
    std::vector<std::string> refs;
    for (const check::TObjectRef& r : found[0].objects) refs.push_back(r.path + " " + r.kind + " " + r.part);
    std::sort(refs.begin(), refs.end());
    EXPECT_EQ(refs, (std::vector<std::string>{"0 path ", "1/1 ellipse U1"}));
}

TEST(DesignCheck, SaysWhichChecksHadNothingToDo) {
    TVemoDocument doc;
    const TCheckReport report = Check(doc);
    EXPECT_TRUE(report.violations.empty());
    EXPECT_EQ(report.copperLayers, (std::vector<std::string>{"solder", "component"}));
    std::string idle;
    for (const std::string& line : report.idle) idle += line + "\n";
    for (const char* rule : {"clearance", "min-annular", "edge-clearance", "silk-over-pad"})
        EXPECT_NE(idle.find(rule), std::string::npos) << rule << " in\n" << idle;
}

TEST(DesignCheck, ExtraCopperLayersAreCheckedAndUnknownOnesRefused) {
    TVemoDocument doc;
    TVemoLayerPtr inner = std::make_shared<TVemoLayer>(0xFF0000u, "inner1");
    doc.GetLayerList().Insert(inner);
    doc.GetRoot().AddChild(Track(doc, "inner1", {10, 10}, {20, 10}, 0.3f));
    doc.GetRoot().AddChild(Track(doc, "inner1", {10, 10.4f}, {20, 10.4f}, 0.3f));
    TDesignRules rules;
    EXPECT_TRUE(Of(Check(doc, rules), "clearance").empty());
    rules.extraCopper = {"inner1"};
    const std::vector<TViolation> found = Of(Check(doc, rules), "clearance");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].layer, "inner1");

    rules.extraCopper = {"inner2"};
    const TCheckReport refused = CheckDesign(doc, rules);
    EXPECT_FALSE(refused.completed);
    EXPECT_NE(refused.error.find("inner2"), std::string::npos) << refused.error;
}

TEST(DesignCheck, ReportsProgressAndStopsWhenCancelled) {
    TVemoDocument doc;
    for (int i = 0; i < 50; ++i)
        doc.GetRoot().AddChild(
            Track(doc, "solder", {10, 10 + 0.4f * float(i)}, {30, 10 + 0.4f * float(i)}, 0.3f));
    std::vector<double> seen;
    check::TCheckControl control;
    control.progress = [&](double done, const std::string&) { seen.push_back(done); };
    const TCheckReport full = CheckDesign(doc, {}, control);
    ASSERT_TRUE(full.completed);
    EXPECT_EQ(Of(full, "clearance").size(), 49u);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_DOUBLE_EQ(seen.back(), 1.0);

    int polls = 0;
    control.cancelled = [&] { return ++polls > 1; };
    const TCheckReport stopped = CheckDesign(doc, {}, control);
    EXPECT_FALSE(stopped.completed);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.violations.empty());
}

TEST(DesignCheck, FindingsDoNotDependOnHowTheCopperIsUnitedInStrips) {
    // A generated board with tracks, lands, holes, filled areas with cut-outs
    // and parts, checked in one piece and in narrow strips whose borders cross
    // conductors, holes and the board edge.
    const std::unique_ptr<TVemoDocument> doc = GenerateBoard(TBoardOptions{1500, 7, true});
    const auto findings = [&](std::size_t stripVertices) {
        check::TCheckControl control;
        control.stripVertices = stripVertices;
        const TCheckReport report = CheckDesign(*doc, {}, control);
        EXPECT_TRUE(report.completed);
        std::vector<std::string> lines = {"islands " + std::to_string(report.islands)};
        for (const TViolation& v : report.violations) {
            char measured[32];
            std::snprintf(measured, sizeof measured, "%.3f", v.measured);
            lines.push_back(v.rule + " " + v.layer + " " + measured + " " + v.note);
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    const std::vector<std::string> whole = findings(std::size_t(1) << 40);
    EXPECT_GT(whole.size(), 50u);
    EXPECT_EQ(findings(500), whole);
    EXPECT_EQ(findings(3000), whole);
}

TEST(DesignCheck, HostileBoardsAreCheckedToTheEnd) {
    // Documents other tools or damaged files could hand us: the check ends,
    // with or without findings, and never crashes or runs away.
    const std::pair<const char*, std::string> cases[] = {
        {"a track crossing itself everywhere", hostile::LongSelfOverlappingPath(20000)},
        {"groups 200 deep", hostile::NestedGroups(200)},
        {"objects on layers the list lacks", hostile::UnknownLayers(50)},
        {"an ellipse of radius 1e8", hostile::HugeEllipse(1e8f)},
        {"an ellipse of radius 1e37", hostile::HugeEllipse(1e37f)},
        {"a stroke 1e30 wide", hostile::WideStroke(1e30f)},
        {"a stroke of infinite width", hostile::WideStroke(std::numeric_limits<float>::infinity())},
        {"a text scaled 1e4", hostile::HugeText(1e4f)},
        {"paths without points", hostile::EmptyPaths()},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        std::string error;
        const std::unique_ptr<TVemoDocument> doc = DocumentFromBytes(bytes, error);
        ASSERT_TRUE(doc) << error;
        const TCheckReport report = CheckDesign(*doc, {});
        EXPECT_TRUE(report.completed) << report.error;
    }
    // What could not be united is named, not silently dropped.
    std::string error;
    const std::unique_ptr<TVemoDocument> tangled =
        DocumentFromBytes(hostile::LongSelfOverlappingPath(20000), error);
    ASSERT_TRUE(tangled) << error;
    const TCheckReport report = CheckDesign(*tangled, {});
    ASSERT_EQ(report.skipped.size(), 1u);
    EXPECT_EQ(report.skipped[0].object.kind, "path");
    EXPECT_NE(report.skipped[0].why.find("crosses itself too often"), std::string::npos);
}

TEST(DesignRules, BadValuesAreRefusedByName) {
    struct Case {
        double TDesignRules::*field;
        double value;
        const char* words;
    };
    const Case cases[] = {
        {&TDesignRules::clearance, -0.1, "clearance of -0.1 mm is negative"},
        {&TDesignRules::minWidth, std::nan(""), "min-width must be a number of millimetres"},
        {&TDesignRules::edgeClearance, std::numeric_limits<double>::infinity(),
         "edge-clearance must be a number of millimetres"},
        {&TDesignRules::maxDrill, 100.0, "max-drill of 100 mm is not below 100 mm"},
        {&TDesignRules::minDrill, 7.0, "min-drill of 7 mm is above max-drill of 6.35 mm"},
    };
    for (const Case& c : cases) {
        TDesignRules rules;
        rules.*c.field = c.value;
        EXPECT_EQ(check::RulesProblem(rules), c.words);
        TVemoDocument doc;
        const TCheckReport report = CheckDesign(doc, rules);
        EXPECT_FALSE(report.completed);
        EXPECT_EQ(report.error, c.words);
    }
    EXPECT_EQ(check::RulesProblem({}), "");
}

TEST(DesignRules, FilesAreReadOverTheDefaultsAndWrittenBack) {
    TDesignRules rules;
    std::string error;
    ASSERT_TRUE(
        check::ParseRules("# home\n[rules]\nclearance = 0.3 ; wide\nmin-annular=0.4\nsilk-over-pad = no\n"
                          "copper-layers = inner1, inner2\n[other]\nclearance = 9\n",
                          rules, error))
        << error;
    EXPECT_DOUBLE_EQ(rules.clearance, 0.3);
    EXPECT_DOUBLE_EQ(rules.minAnnular, 0.4);
    EXPECT_DOUBLE_EQ(rules.minWidth, 0.15);
    EXPECT_FALSE(rules.silkOverPad);
    EXPECT_EQ(rules.extraCopper, (std::vector<std::string>{"inner1", "inner2"}));
    TDesignRules again;
    ASSERT_TRUE(check::ParseRules(check::RulesText(rules), again, error)) << error;
    EXPECT_EQ(check::RulesText(again), check::RulesText(rules));

    const std::pair<const char*, const char*> bad[] = {
        {"clearence = 0.2\n", "line 1: unknown rule \"clearence\""},
        {"\nclearance = 0,2\n", "line 2: clearance must be a number of millimetres, not \"0,2\""},
        {"min-width = -1\n", "line 1: min-width of -1 mm is negative"},
        {"clearance\n", "line 1: expected name = value"},
        {"min-drill = 5\nmax-drill = 4\n", "min-drill of 5 mm is above max-drill of 4 mm"},
    };
    for (const auto& [text, words] : bad) {
        TDesignRules kept;
        kept.clearance = 0.25;
        EXPECT_FALSE(check::ParseRules(text, kept, error)) << text;
        EXPECT_EQ(error, words);
        EXPECT_DOUBLE_EQ(kept.clearance, 0.25) << "a refused file changes nothing";
    }
}

}  // namespace
