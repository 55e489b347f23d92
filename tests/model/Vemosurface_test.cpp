#include "model/Vemosurface.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "model/Vemodrawstyle.h"
#include "model/Vemolayer.h"

namespace {

TEST(VemoSurface, UnfilledWidthNeverBelowOne) {
    EXPECT_FLOAT_EQ(TVemoSurface(0.5f, false, false).GetWidth(), 1.0f);

    TVemoSurface filled(0.5f, true, false);
    EXPECT_FLOAT_EQ(filled.GetWidth(), 0.5f);
    EXPECT_FLOAT_EQ(filled.GetPen().width, 0.5f);
    filled.SetFill(false);
    EXPECT_FLOAT_EQ(filled.GetWidth(), 1.0f);
    EXPECT_FLOAT_EQ(filled.GetPen().width, 1.0f);

    TVemoSurface plain;
    plain.SetWidth(2.5f);
    plain.SetWidth(0.3f);  // refused without fill
    EXPECT_FLOAT_EQ(plain.GetWidth(), 2.5f);
    EXPECT_FLOAT_EQ(plain.GetPen().width, 2.5f);
}

TEST(VemoSurface, PenFollowsStyleFields) {
    TVemoSurface s;
    s.SetCap(geom::CapSquare);
    s.SetJoin(geom::JoinBevel);
    s.SetDash(geom::DashDashDot);
    const Pen& pen = s.GetPen();
    EXPECT_EQ(pen.startCap, geom::CapSquare);
    EXPECT_EQ(pen.endCap, geom::CapSquare);
    EXPECT_EQ(pen.dashCap, geom::CapFlat);
    EXPECT_EQ(pen.join, geom::JoinBevel);
    EXPECT_EQ(pen.dashStyle, geom::DashDashDot);
}

TEST(VemoSurface, CutOutStylePaintsInCutOutColour) {
    const TVemoLayer red(0xFFFF0000u);
    TVemoSurface cut(1.0f, false, true);
    cut.ApplyColour(red.GetEffectiveColour());
    EXPECT_EQ(cut.GetPen().colour, 0xFFFFFFFFu);
    EXPECT_EQ(cut.GetBrush().colour, 0xFFFFFFFFu);

    TVemoSurface plain;
    plain.ApplyColour(red.GetEffectiveColour());
    EXPECT_EQ(plain.GetBrush().colour, red.GetEffectiveColour());
    EXPECT_EQ(plain.GetPen().colour, red.GetEffectiveColour());
}

TEST(VemoSurface, AssignCopiesFieldsAndTakesPenColourFromBrush) {
    TVemoSurface source(0.4f, true, true);
    source.SetCap(geom::CapFlat);
    source.SetJoin(geom::JoinMiter);
    source.SetDash(geom::DashDot);
    source.SetCutOut(false);
    source.ApplyColour(0xFF00FF00u);

    TVemoSurface target;
    target.ApplyColour(0xFF0000FFu);
    target.Assign(source);
    EXPECT_EQ(target.CompareTo(source), 0);
    EXPECT_EQ(target.GetCap(), geom::CapFlat);
    EXPECT_FLOAT_EQ(target.GetPen().width, 0.4f);
    EXPECT_EQ(target.GetPen().join, geom::JoinMiter);
    EXPECT_EQ(target.GetPen().colour, 0xFF00FF00u);
    EXPECT_EQ(target.GetBrush().colour, 0xFF0000FFu);  // follows at the next ApplyColour
}

TEST(VemoSurface, CompareToNamesEachDifferingField) {
    struct Row {
        const char* name;
        std::function<void(TVemoSurface&)> change;
        int expected;
    };
    const Row rows[] = {
        {"cap only", [](TVemoSurface& s) { s.SetCap(geom::CapFlat); }, 0},
        {"width", [](TVemoSurface& s) { s.SetWidth(3.0f); }, 1},
        {"fill", [](TVemoSurface& s) { s.SetFill(true); }, 2},
        {"cut-out", [](TVemoSurface& s) { s.SetCutOut(true); }, 4},
        {"join", [](TVemoSurface& s) { s.SetJoin(geom::JoinMiter); }, 8},
        {"dash", [](TVemoSurface& s) { s.SetDash(geom::DashDash); }, 16},
        {"width and dash",
         [](TVemoSurface& s) {
             s.SetWidth(2.0f);
             s.SetDash(geom::DashDot);
         },
         1 | 16},
    };
    const TVemoSurface base;
    for (const Row& row : rows) {
        TVemoSurface other;
        row.change(other);
        EXPECT_EQ(base.CompareTo(other), row.expected) << row.name;
        EXPECT_EQ(other.CompareTo(base), row.expected) << row.name;
    }
}

TEST(VemoSurface, SameFieldsComparesTheWidthBitForBit) {
    // A filled style keeps any width, so the odd ones reach the comparison.
    const auto filled = [](float width) {
        TVemoSurface s;
        s.SetFields(width, true, false, geom::JoinRound, geom::CapRound, geom::DashSolid);
        return s;
    };
    EXPECT_TRUE(filled(0.5f).SameFields(filled(0.5f)));
    EXPECT_FALSE(filled(0.0f).SameFields(filled(-0.0f))) << "-0 is a change";
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(filled(nan).SameFields(filled(nan))) << "the same NaN is no change";
    EXPECT_FALSE(filled(0.5f).SameFields(filled(0.5001f)));
}

}  // namespace
