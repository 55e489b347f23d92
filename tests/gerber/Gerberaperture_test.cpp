#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gerber/Gerberaperture.h"

namespace {

TEST(GerberAperture, DefinitionLines) {
    struct Row {
        const char* name;
        float size;
        int kind;
        int rotation;
        const char* expected;  // as numbered first in a fresh table
    } rows[] = {
        {"round", 3.0f, TApertureList::kRound, 0, "%ADD10C,0.300*%"},
        {"round ignores rotation", 3.0f, TApertureList::kRound, 30, "%ADD10C,0.300*%"},
        {"square at 0 is a plain rectangle", 3.0f, TApertureList::kSquare, 0, "%ADD10R,0.300X0.300*%"},
        {"square at 45 is a polygon at 0", 3.0f, TApertureList::kSquare, 45, "%ADD10P,0.424X4X0*%"},
        {"square at 26 is a polygon at 19", 3.0f, TApertureList::kSquare, 26, "%ADD10P,0.424X4X19*%"},
        {"square at -27 is a polygon at 72", 4.0f, TApertureList::kSquare, -27, "%ADD10P,0.566X4X72*%"},
        {"three decimals, rounded", 1.23456f, TApertureList::kRound, 0, "%ADD10C,0.123*%"},
    };
    for (const Row& row : rows) {
        TApertureList table;
        EXPECT_EQ(table.Lookup(row.size, row.kind, row.rotation), 10) << row.name;
        EXPECT_EQ(table.Text(), std::string(row.expected) + "\r\n") << row.name;
    }
}

TEST(GerberAperture, NumbersFollowFirstUseAndEqualityIsExact) {
    TApertureList table;
    const float three = 3.0f;
    const float nextToThree = std::nextafter(three, 4.0f);
    EXPECT_EQ(table.Lookup(three, TApertureList::kRound), 10);
    EXPECT_EQ(table.Lookup(20.0f, TApertureList::kSquare, 0), 11);
    EXPECT_EQ(table.Lookup(three, TApertureList::kRound), 10) << "the same diameter shares its D-code";
    EXPECT_EQ(table.Lookup(TApRect(20.0f, 20.0f, 0)), 11) << "a square at 0 is the same rectangle";
    EXPECT_EQ(table.Lookup(nextToThree, TApertureList::kRound), 12)
        << "a different float is another aperture";
    EXPECT_EQ(table.Lookup(three, TApertureList::kSquare, 0), 13) << "a square never equals a circle";
    EXPECT_EQ(table.Lookup(three, TApertureList::kSquare, 1), 14);
    EXPECT_EQ(table.Lookup(TApRect(20.0f, 10.0f)), 15);
    EXPECT_EQ(table.Lookup(TApRect(10.0f, 20.0f)), 16);
    EXPECT_EQ(table.Text(),
              "%ADD10C,0.300*%\r\n%ADD11R,2.000X2.000*%\r\n%ADD12C,0.300*%\r\n%ADD13R,0.300X0.300*%\r\n"
              "%ADD14P,0.424X4X44*%\r\n%ADD15R,2.000X1.000*%\r\n%ADD16R,1.000X2.000*%\r\n");

    // A size that is not a number equals nothing, not even itself.
    EXPECT_EQ(table.Lookup(NAN, TApertureList::kRound), 17);
    EXPECT_EQ(table.Lookup(NAN, TApertureList::kRound), 18);
    EXPECT_EQ(table.Lookup(-0.0f, TApertureList::kRound), 19);
    EXPECT_EQ(table.Lookup(0.0f, TApertureList::kRound), 19) << "-0 and 0 are the same float value";
}

TEST(GerberAperture, ThreeDigitCodesKeepAllDigits) {
    TApertureList table;
    for (int i = 0; i < 95; ++i) EXPECT_EQ(table.Lookup(1.0f + float(i), TApertureList::kRound), 10 + i);
    EXPECT_EQ(table.At(90).Text(), "%ADD100C,9.100*%");
    EXPECT_EQ(table.At(94).Text(), "%ADD104C,9.500*%");
}

}  // namespace
