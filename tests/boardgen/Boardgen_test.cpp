#include <gtest/gtest.h>

#include <map>
#include <string>

#include "archive/Vemodocumentfile.h"
#include "boardgen/Boardgen.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"

namespace {

// Top-level objects per layer name (a group counts under "group").
std::map<std::string, int> CountByLayer(const TVemoDocument& doc) {
    std::map<std::string, int> counts;
    const TVemoPart& root = doc.GetRoot();
    for (int i = 0; i < root.GetChildCount(); ++i) {
        const TVemoObject* child = root.GetChild(i);
        const TVemoLayerPtr layer = child->GetLayer();
        ++counts[child->GetTag() == "GRUP" ? "group" : layer ? layer->GetName() : "none"];
    }
    return counts;
}

TEST(Boardgen, SameSeedSameBytesOtherSeedOtherBoard) {
    const auto a = GenerateBoard({300, 7, true});
    const auto b = GenerateBoard({300, 7, true});
    const auto c = GenerateBoard({300, 8, true});
    // Compared as a whole: a byte dump of a board is no help in a failure message.
    EXPECT_TRUE(DocumentBytes(*a) == DocumentBytes(*b));
    EXPECT_FALSE(DocumentBytes(*a) == DocumentBytes(*c));
}

TEST(Boardgen, HoldsEveryKindOfBoardObjectAndSurvivesTheArchive) {
    const auto doc = GenerateBoard({2000, 1, true});
    const auto counts = CountByLayer(*doc);
    for (const char* name : {"solder", "component", "hole", "place_cmp", "place_sol", "dimension", "group"})
        EXPECT_GT(counts.count(name) ? counts.at(name) : 0, 0) << name;
    // Pours (and their cut-outs) add one object beyond the count each.
    EXPECT_GE(doc->GetRoot().GetChildCount(), 2000);
    EXPECT_LE(doc->GetRoot().GetChildCount(), 2100);

    // The reader makes the first layer current, so the second generation is the fixed point.
    std::string error;
    const auto again = DocumentFromBytes(DocumentBytes(*doc), error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(again->GetRoot().GetChildCount(), doc->GetRoot().GetChildCount());
    const std::string bytes = DocumentBytes(*again);
    const auto third = DocumentFromBytes(bytes, error);
    ASSERT_TRUE(third) << error;
    EXPECT_TRUE(DocumentBytes(*third) == bytes);
}

}  // namespace
