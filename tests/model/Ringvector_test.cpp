#include "model/Ringvector.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(RingVector, IndexWrapsBothWays) {
    const TRingVector<int> ring{10, 20, 30};
    struct Row {
        std::ptrdiff_t index;
        int expected;
    };
    const Row rows[] = {{0, 10}, {2, 30}, {-1, 30}, {3, 10}, {4, 20}, {-3, 10}, {-4, 30}, {7, 20}};
    for (const Row& row : rows) EXPECT_EQ(ring[row.index], row.expected) << "index " << row.index;
}

TEST(RingVector, InsertBeforeAndEraseAtRingIndex) {
    struct Row {
        const char* name;
        bool insert;
        std::ptrdiff_t index;
        std::vector<int> expected;
    };
    const Row rows[] = {
        {"insert before last", true, -1, {1, 2, 9, 3}},
        {"insert at n is before first", true, 3, {9, 1, 2, 3}},
        {"insert at n+1", true, 4, {1, 9, 2, 3}},
        {"insert at -n", true, -3, {9, 1, 2, 3}},
        {"erase last", false, -1, {1, 2}},
        {"erase at n is first", false, 3, {2, 3}},
        {"erase at -4", false, -4, {1, 2}},
    };
    for (const Row& row : rows) {
        TRingVector<int> ring{1, 2, 3};
        if (row.insert)
            ring.insert(row.index, 9);
        else
            ring.erase(row.index);
        EXPECT_EQ(ring.Vector(), row.expected) << row.name;
    }
}

TEST(RingVector, EmptyRingInsertsAndIgnoresErase) {
    TRingVector<unsigned char> ring;
    ring.erase(-1);
    EXPECT_TRUE(ring.empty());
    ring.insert(5, 7);
    ASSERT_EQ(ring.size(), 1u);
    EXPECT_EQ(ring[-1], 7);
}

TEST(RingVector, VectorOperationsAndWrittenElementsAreShared) {
    TRingVector<int> ring;
    ring.push_back(1);
    ring.push_back(2);
    ring[-1] = 5;  // writes through a ring index
    ring.resize(4, 8);
    ring.pop_back();
    EXPECT_EQ(ring.Vector(), (std::vector<int>{1, 5, 8}));
    EXPECT_EQ(ring.data()[1], 5);
    EXPECT_EQ(ring.end() - ring.begin(), 3);
    EXPECT_EQ(*(ring.begin() + 2), 8);
}

}  // namespace
