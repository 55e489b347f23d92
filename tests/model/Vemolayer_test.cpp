#include "model/Vemolayer.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/Vemodrawstyle.h"

namespace {

TEST(VemoLayer, NewLayerDefaults) {
    const TVemoLayer layer(0xFF0000FFu);
    EXPECT_EQ(layer.GetName(), "new layer");
    EXPECT_EQ(layer.GetFlags(), 0x012);
    EXPECT_EQ(layer.GetEffectiveColour(), 0x5A0000FFu);
}

TEST(VemoLayer, SetColourIgnoresAlphaAndDerivesThree) {
    TVemoLayer layer(0xFF000000u, "top");
    layer.SetColour(0x80102030u);
    EXPECT_EQ(layer.GetTranslucentColour(), 0x5A102030u);
    EXPECT_EQ(layer.GetCurrentColour(), 0xA0102030u);
    EXPECT_EQ(layer.GetOpaqueColour(), 0xFF102030u);
}

TEST(VemoLayer, EffectiveColourByFlags) {
    struct Row {
        const char* name;
        std::int32_t flags;
        Argb expected;
    };
    const Row rows[] = {
        {"plain", 0x002, 0x5A102030u},
        {"current", 0x003, 0xA0102030u},
        {"opaque beats current", 0x083, 0xFF102030u},
        {"cut-out beats opaque", 0x08B, 0xFFFFFFFFu},
    };
    for (const Row& row : rows) {
        TVemoLayer layer(0xFF102030u);
        layer.SetFlags(row.flags);
        EXPECT_EQ(layer.GetEffectiveColour(), row.expected) << row.name;
    }
    TVemoLayer layer(0xFF102030u);
    layer.SetOpaque(true);
    layer.SetOpaque(false);  // every flag setter recomputes
    EXPECT_EQ(layer.GetEffectiveColour(), 0x5A102030u);
}

TEST(VemoLayer, ContrastColourGreyOnlyOnDarkOpaqueLayers) {
    struct Row {
        Argb colour;
        bool opaque;
        Argb expected;
    };
    const Row rows[] = {
        {0xFF646437u, true, 0xFF969696u},  // 100 + 100 + 55 = 255
        {0xFF646438u, true, 0xFF000000u},  // 100 + 100 + 56 = 256
        {0xFF646437u, false, 0xFF000000u},
        {0xFF646438u, false, 0xFF000000u},
    };
    for (const Row& row : rows) {
        TVemoLayer layer(row.colour);
        layer.SetOpaque(row.opaque);
        EXPECT_EQ(layer.GetContrastColour(), row.expected)
            << std::hex << row.colour << (row.opaque ? " opaque" : "");
    }
}

TEST(VemoLayer, CutOutOpaqueLayerAndItsCopyPaintCutOutColour) {
    TVemoLayer layer(0xFFFF0000u, "mask");
    layer.SetCutOut(true);
    layer.SetOpaque(true);
    EXPECT_EQ(layer.GetEffectiveColour(), 0xFFFFFFFFu);

    const std::unique_ptr<TVemoLayer> copy = CloneOf(layer);
    EXPECT_EQ(copy->GetEffectiveColour(), 0xFFFFFFFFu);
    EXPECT_EQ(copy->GetName(), "mask");
    EXPECT_EQ(copy->GetFlags(), layer.GetFlags());
    EXPECT_EQ(copy->GetOpaqueColour(), 0xFFFF0000u);
}

TEST(VemoLayer, CutOutColourIsTakenWhenTheLayerIsMade) {
    TVemoLayer before(0xFF00FF00u);
    before.SetCutOut(true);
    DrawStyle().SetColour(dcCutOut, 0xFF123456u);
    const std::unique_ptr<TVemoLayer> copy = CloneOf(before);
    const TVemoLayer after(0xFF00FF00u);
    DrawStyle().Reset();
    EXPECT_EQ(before.GetEffectiveColour(), 0xFFFFFFFFu);
    EXPECT_EQ(copy->GetEffectiveColour(), 0xFF123456u);
    EXPECT_EQ(after.GetCutOutColour(), 0xFF123456u);
}

}  // namespace
