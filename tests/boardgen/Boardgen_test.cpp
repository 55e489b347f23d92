#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "archive/Vemo_oarchive.h"
#include "archive/Vemodocumentfile.h"
#include "archive/Vemoobjectio.h"
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
    // Everything lies on the board, turned pads about their own centres; a pour
    // at the edge may reach 5 mm beyond it.
    const float side = float(doc->GetAreaWidth());
    int outside = 0;
    ForEachObject(doc->GetRoot(), false, [&](const TVemoObject& object) {
        RectF b;
        object.GetBounds(b);
        if (object.AsInstance() &&
            (b.x < -60 || b.y < -60 || b.Right() > side + 60 || b.Bottom() > side + 60))
            ++outside;
    });
    EXPECT_EQ(outside, 0);

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

// The record of every drawing object, sorted, and how many containers hold
// each (the root included): what a board draws, and how deep it lies.
struct Leaves {
    std::vector<std::string> records;
    std::map<int, int> byDepth;
};

Leaves LeavesOf(const TVemoDocument& doc) {
    Leaves leaves;
    const std::function<void(const TVemoObject&, int)> walk = [&](const TVemoObject& object, int depth) {
        if (const TVemoContainer* container = object.AsContainer()) {
            for (int i = 0; i < container->GetChildCount(); ++i) walk(*container->GetChild(i), depth + 1);
            return;
        }
        std::string record;
        TVemo_oarchive out(record);
        SaveObject(out, object);
        leaves.records.push_back(std::move(record));
        ++leaves.byDepth[depth];
    };
    walk(doc.GetRoot(), 0);
    std::sort(leaves.records.begin(), leaves.records.end());
    return leaves;
}

// Block levels put the very objects of the flat board into groups of groups:
// the outline stays on the board, every other object lies under three levels
// of blocks (four with the part it belongs to).
TEST(Boardgen, BlockLevelsGatherTheSameObjectsIntoNestedGroups) {
    TBoardOptions options{3000, 4, true};
    const Leaves flat = LeavesOf(*GenerateBoard(options));
    options.blockLevels = 3;
    const auto grouped = GenerateBoard(options);
    const Leaves nested = LeavesOf(*grouped);
    EXPECT_TRUE(nested.records == flat.records);
    ASSERT_EQ(flat.byDepth.size(), 2u);
    EXPECT_EQ(nested.byDepth,
              (std::map<int, int>{{1, 1}, {4, flat.byDepth.at(1) - 1}, {5, flat.byDepth.at(2)}}));
    // 19 x 19 squares at the lowest level: 5 x 5 above, 2 x 2 at the top.
    EXPECT_LE(grouped->GetRoot().GetChildCount(), 1 + 4);
    EXPECT_TRUE(DocumentBytes(*GenerateBoard(options)) == DocumentBytes(*grouped));
}

}  // namespace
