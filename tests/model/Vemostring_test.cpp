#include <gtest/gtest.h>

#include <memory>

#include "model/Vemodrawstyle.h"
#include "model/Vemolayer.h"
#include "model/Vemostring.h"

namespace {

std::unique_ptr<TVemoString> MakeText(const std::u16string& text, float size = 50.0f,
                                      const std::string& family = "DejaVu Sans") {
    auto t = std::make_unique<TVemoString>();
    t->SetLayer(std::make_shared<TVemoLayer>(0xFF008000u, "place_cmp"));
    t->SetFont(TVemoFont(family, size, 0));
    t->SetText(text);
    return t;
}

std::size_t Figures(const std::u16string& text, const std::string& family) {
    GraphicsPath p;
    TVemoFont(family, 50.0f, 0).AddText(p, text);
    return p.FigureCount();
}

}  // namespace

TEST(TVemoFont, DefaultsAndFamilies) {
    TVemoFont f;
    EXPECT_EQ(f.FamilyName(), "MS UI Gothic");
    EXPECT_EQ(f.GetStyle(), 0);
    EXPECT_EQ(f.GetSize(), 5.0f);
    EXPECT_EQ(f.ResolvedFamily(), "IPAPGothic");
    EXPECT_TRUE(TVemoFont::IsKnownFamily("MS Gothic"));

    // A family the machine lacks keeps its name (files are written back unchanged)
    // and is drawn with the substitute.
    TVemoFont missing("No Such Family 42", 5.0f, 0);
    EXPECT_EQ(missing.FamilyName(), "No Such Family 42");
    EXPECT_EQ(missing.ResolvedFamily(), "IPAPGothic");
    GraphicsPath p;
    missing.AddText(p, u"A");
    EXPECT_GT(p.PointCount(), 0u);

    // Choosing an unknown family changes nothing; a family without bold drops bold.
    TVemoFont bold("DejaVu Sans", 5.0f, TVemoFont::Bold);
    EXPECT_EQ(bold.GetStyle(), TVemoFont::Bold);
    EXPECT_FALSE(bold.SetFamily("No Such Family 42"));
    EXPECT_EQ(bold.FamilyName(), "DejaVu Sans");
    EXPECT_TRUE(bold.SetFamily("IPAPGothic"));
    EXPECT_EQ(bold.GetStyle(), 0);
}

TEST(TVemoFont, LatinAndJapaneseInOneStringAllGetGlyphs) {
    // Every character contributes its own figures: the whole string has as many
    // as its characters one by one, in a Latin face and in a Japanese one.
    for (const std::string family : {"DejaVu Sans", "MS UI Gothic"}) {
        std::size_t sum = 0;
        for (char16_t c : std::u16string(u"ABC基板")) {
            const std::size_t n = Figures(std::u16string(1, c), family);
            EXPECT_GT(n, 0u) << family << " char " << int(c);
            sum += n;
        }
        EXPECT_EQ(Figures(u"ABC 基板", family), sum) << family;
    }
}

TEST(TVemoFont, EmSizeScalesTheOutlineExactly) {
    GraphicsPath small, large;
    TVemoFont(std::string("DejaVu Sans"), 5.0f, 0).AddText(small, u"H");
    TVemoFont(std::string("DejaVu Sans"), 500.0f, 0).AddText(large, u"H");
    const RectF a = small.GetBounds(), b = large.GetBounds();
    EXPECT_NEAR(b.height / a.height, 100.0, 0.01);
    EXPECT_NEAR(b.width / a.width, 100.0, 0.01);
    // An H of DejaVu Sans is about 0.73 em high.
    EXPECT_NEAR(a.height, 3.65, 0.2);
}

TEST(TVemoFont, LinesAreLaidOutOneUnderTheOther) {
    GraphicsPath one, two;
    TVemoFont(std::string("DejaVu Sans"), 50.0f, 0).AddText(one, u"H");
    TVemoFont(std::string("DejaVu Sans"), 50.0f, 0).AddText(two, u"H\nH");
    EXPECT_EQ(two.FigureCount(), 2 * one.FigureCount());
    EXPECT_NEAR(two.GetBounds().x, one.GetBounds().x, 0.01);
    EXPECT_GT(two.GetBounds().height, one.GetBounds().height + 40.0f);
}

TEST(TVemoString, CornersFollowThePlacementAndRotation) {
    auto t = MakeText(u"ABC");
    const auto c0 = t->GetCorners();
    EXPECT_LT(c0[0].x, c0[1].x);
    EXPECT_EQ(c0[0].y, c0[1].y);  // bottom edge
    EXPECT_LT(c0[3].y, c0[0].y);  // top above bottom (y grows downwards)

    const PointF mid{(c0[0].x + c0[2].x) / 2, (c0[0].y + c0[2].y) / 2};
    t->Rotate(90, c0[0]);
    const auto c = t->GetCorners();
    // The handle stays at the start of the baseline box; the bottom edge now runs along +y.
    EXPECT_NEAR(c[0].x, c0[0].x, 1e-3);
    EXPECT_NEAR(c[0].y, c0[0].y, 1e-3);
    EXPECT_NEAR(c[1].x, c0[0].x, 1e-3);
    EXPECT_NEAR(c[1].y - c[0].y, c0[1].x - c0[0].x, 1e-3);
    // The hit area turned with it.
    const PointF turned{c0[0].x - (mid.y - c0[0].y), c0[0].y + (mid.x - c0[0].x)};
    EXPECT_TRUE(t->HitPoint(turned));
    EXPECT_FALSE(t->HitPoint(mid));
    RectF b;
    t->GetBounds(b);
    EXPECT_GT(b.height, b.width);
}

TEST(TVemoString, HitAreaIsTheStrictInsideOfTheBox) {
    auto t = MakeText(u"I I");
    const auto c = t->GetCorners();
    EXPECT_FALSE(t->HitPoint(c[0])) << "corner";
    EXPECT_FALSE(t->HitPoint({(c[0].x + c[1].x) / 2, c[0].y})) << "bottom edge";
    // Between the two letters: no glyph there, yet inside the box.
    const PointF between{(c[0].x + c[1].x) / 2, (c[0].y + c[3].y) / 2};
    EXPECT_TRUE(t->HitPoint(between));
    EXPECT_TRUE(t->SelectAt(between));
    EXPECT_TRUE(t->IsSelected());
    // A rubber band meets the glyphs only.
    EXPECT_FALSE(t->HitRect({between.x - 0.5f, between.y - 0.5f, 1, 1}, nullptr));
}

TEST(TVemoString, HandleEditingAndMoveSelection) {
    auto t = MakeText(u"X");
    const auto c = t->GetCorners();
    t->MoveSelection(10, 0);
    EXPECT_EQ(t->GetCorners()[0], c[0]) << "moves only with its handle selected";
    EXPECT_EQ(t->PickHandle(c[0], 3), 2);
    EXPECT_TRUE(t->IsEditingPoints());
    EXPECT_EQ(t->HitSelectedAnchor(c[0], 3), 2);
    t->MoveSelection(10, 0);
    EXPECT_NEAR(t->GetCorners()[0].x, c[0].x + 10, 1e-3);
    t->Select();
    EXPECT_FALSE(t->IsEditingPoints());
    EXPECT_FALSE(t->IsHandleSelected());
}

TEST(TVemoString, EmptyTextKeepsItsPlaceAndDrawsNothing) {
    auto t = MakeText(u"AB");
    const auto c = t->GetCorners();
    t->SetText(u"");
    EXPECT_TRUE(t->GetOutline().IsEmpty());
    EXPECT_EQ(t->GetCorners(), c);
    EXPECT_FALSE(t->HitRect({-1000, -1000, 3000, 3000}, nullptr));
}

TEST(TVemoString, CloneCopiesTextFontPlacementAndLayer) {
    auto t = MakeText(u"R1");
    t->Translate(100, 50);
    std::unique_ptr<TVemoString> copy(t->Clone());
    EXPECT_EQ(copy->GetText(), u"R1");
    EXPECT_EQ(copy->GetFont(), t->GetFont());
    EXPECT_EQ(copy->GetPlacement(), t->GetPlacement());
    EXPECT_EQ(copy->GetLayer(), t->GetLayer());
    EXPECT_EQ(copy->GetOutline(), t->GetOutline());
    EXPECT_EQ(copy->GetName(), "String");
}
