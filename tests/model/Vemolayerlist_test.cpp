#include "model/Vemolayerlist.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Every index equals its position and only Current() carries the current flag.
::testing::AssertionResult Consistent(const TVemoLayerList& list) {
    for (int i = 0; i < list.Count(); ++i) {
        const TVemoLayerPtr layer = list.At(i);
        if (layer->GetIndex() != i)
            return ::testing::AssertionFailure() << layer->GetName() << " has index " << layer->GetIndex();
        if (layer->IsCurrent() != (layer == list.Current()))
            return ::testing::AssertionFailure() << layer->GetName() << " current flag out of step";
    }
    return ::testing::AssertionSuccess();
}

std::vector<std::string> Names(const TVemoLayerList& list) {
    std::vector<std::string> names;
    names.reserve(std::size_t(list.Count()));
    for (int i = 0; i < list.Count(); ++i) names.push_back(list.At(i)->GetName());
    return names;
}

// Layers "0" .. "n-1" in that order, layer "0" current.
void Fill(TVemoLayerList& list, int n) {
    for (int i = n - 1; i >= 0; --i)
        list.Insert(std::make_shared<TVemoLayer>(0xFF0000FFu, std::to_string(i)));
}

TEST(VemoLayerList, InsertGoesBeforeCurrentAndBecomesCurrent) {
    TVemoLayerList list;
    const auto first = std::make_shared<TVemoLayer>(0xFF0000FFu, "first");
    const auto second = std::make_shared<TVemoLayer>(0xFF00FF00u, "second");
    ASSERT_TRUE(list.Insert(first));
    EXPECT_EQ(first->GetIndex(), 0);
    EXPECT_EQ(list.Current(), first);
    ASSERT_TRUE(list.Insert(second));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"second", "first"}));
    EXPECT_EQ(list.Current(), second);
    EXPECT_FALSE(first->IsCurrent());
    EXPECT_TRUE(Consistent(list));

    EXPECT_FALSE(list.Insert(first)) << "the same layer twice";
    EXPECT_FALSE(list.Insert(nullptr));
    EXPECT_EQ(list.Count(), 2);
}

TEST(VemoLayerList, InsertCopyIsIndependent) {
    TVemoLayerList list;
    Fill(list, 2);
    const TVemoLayer original(0xFFFF0000u, "extra");
    const TVemoLayerPtr copy = list.InsertCopy(original);
    ASSERT_NE(copy.get(), &original);
    EXPECT_EQ(list.Find("extra"), copy);
    EXPECT_EQ(list.Current(), copy);
    EXPECT_EQ(copy->GetIndex(), 0);
    EXPECT_FALSE(original.IsCurrent());
    EXPECT_TRUE(Consistent(list));
}

TEST(VemoLayerList, EraseCurrent) {
    struct Row {
        const char* name;
        int count;
        int current;      // position made current before erasing
        bool eraseTwice;  // the first erase (of the last layer) leaves no current layer
        bool erased;
        std::vector<std::string> names;
        std::string currentAfter;  // empty: none
    };
    const Row rows[] = {
        {"middle: the follower becomes current", 3, 1, false, true, {"0", "2"}, "2"},
        {"last: nothing current", 3, 2, false, true, {"0", "1"}, ""},
        {"empty list", 0, 0, false, false, {}, ""},
        {"no current layer", 3, 2, true, false, {"0", "1"}, ""},
    };
    for (const Row& row : rows) {
        TVemoLayerList list;
        Fill(list, row.count);
        list.SetCurrent(list.At(row.current));
        const TVemoLayerPtr victim = list.Current();
        if (row.eraseTwice) list.EraseCurrent();
        EXPECT_EQ(list.EraseCurrent(), row.erased) << row.name;
        EXPECT_EQ(Names(list), row.names) << row.name;
        EXPECT_EQ(list.Current() ? list.Current()->GetName() : "", row.currentAfter) << row.name;
        EXPECT_TRUE(Consistent(list)) << row.name;
        if (victim) {
            EXPECT_FALSE(victim->IsCurrent()) << row.name << ": erased layer keeps the flag";
        }
    }
}

TEST(VemoLayerList, InsertWithoutCurrentAppends) {
    TVemoLayerList list;
    Fill(list, 2);
    list.SetCurrent(list.At(1));
    list.EraseCurrent();
    ASSERT_FALSE(list.Current());
    const auto added = std::make_shared<TVemoLayer>(0xFF0000FFu, "added");
    list.Insert(added);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"0", "added"}));
    EXPECT_EQ(list.Current(), added);
    EXPECT_TRUE(Consistent(list));
}

TEST(VemoLayerList, MoveLayerOntoAnother) {
    struct Row {
        const char* name;
        int target;
        int moving;
        std::vector<std::string> names;
    };
    const Row rows[] = {
        {"down the list", 4, 1, {"0", "2", "3", "4", "1"}},
        {"up the list", 1, 4, {"0", "4", "1", "2", "3"}},
        {"onto itself", 2, 2, {"0", "1", "2", "3", "4"}},
    };
    for (const Row& row : rows) {
        TVemoLayerList list;
        Fill(list, 5);
        const TVemoLayerPtr moving = list.At(row.moving);
        ASSERT_TRUE(list.Move(list.At(row.target), moving)) << row.name;
        EXPECT_EQ(Names(list), row.names) << row.name;
        EXPECT_EQ(list.Current(), moving) << row.name;
        EXPECT_EQ(moving->GetIndex(), row.target) << row.name;
        EXPECT_TRUE(Consistent(list)) << row.name;
    }

    TVemoLayerList list;
    Fill(list, 3);
    const auto foreign = std::make_shared<TVemoLayer>(0u, "foreign");
    EXPECT_FALSE(list.Move(foreign, list.At(0)));
    EXPECT_FALSE(list.Move(list.At(0), foreign));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"0", "1", "2"}));
}

TEST(VemoLayerList, SetCurrent) {
    TVemoLayerList list;
    Fill(list, 3);
    list.SetCurrent(list.At(2));
    EXPECT_EQ(list.Current()->GetName(), "2");
    EXPECT_TRUE(Consistent(list));

    list.SetCurrentByName("1");
    EXPECT_EQ(list.Current()->GetName(), "1");
    EXPECT_TRUE(Consistent(list));

    // A layer of another list: nobody is current by flag, the position stays.
    const auto foreign = std::make_shared<TVemoLayer>(0u, "1");
    list.SetCurrent(foreign);
    for (int i = 0; i < list.Count(); ++i) EXPECT_FALSE(list.At(i)->IsCurrent()) << i;
    EXPECT_FALSE(foreign->IsCurrent());
    EXPECT_EQ(list.Current()->GetName(), "1");

    list.SetCurrentByName("2");
    EXPECT_EQ(list.Current()->GetName(), "2");
    list.SetCurrentByName("missing");
    for (int i = 0; i < list.Count(); ++i) EXPECT_FALSE(list.At(i)->IsCurrent()) << i;
}

TEST(VemoLayerList, LookupsAndClear) {
    TVemoLayerList list;
    EXPECT_FALSE(list.At(0));
    EXPECT_FALSE(list.Current());
    Fill(list, 2);
    list.At(1)->SetName("Solder");
    EXPECT_EQ(list.Find("Solder"), list.At(1));
    EXPECT_FALSE(list.Find("solder")) << "names are case-sensitive";
    EXPECT_FALSE(list.At(2));
    EXPECT_FALSE(list.At(-1));

    const TVemoLayerPtr held = list.At(0);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.Current());
    EXPECT_EQ(held->GetName(), "0") << "objects keep their layers alive";
}

TEST(VemoLayerList, CloneKeepsOrderAndCurrentWithNewLayers) {
    TVemoLayerList list;
    Fill(list, 3);
    list.SetCurrent(list.At(1));
    const std::unique_ptr<TVemoLayerList> copy = CloneOf(list);
    EXPECT_EQ(Names(*copy), Names(list));
    EXPECT_EQ(copy->Current()->GetName(), "1");
    EXPECT_NE(copy->At(0), list.At(0));
    EXPECT_TRUE(Consistent(*copy));
}

}  // namespace
