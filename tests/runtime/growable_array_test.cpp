#include <gtest/gtest.h>
#include <vector>
#include "runtime/growable_array.h"

namespace {

TEST(GrowableArray, GrowthStepIsAThirdPlusFour) {
    std::vector<uint32_t> capacities;
    uint32_t capacity = 0;
    for (int i = 0; i < 8; ++i) capacities.push_back(capacity += GrowthStep(capacity));
    EXPECT_EQ((std::vector<uint32_t>{4, 9, 16, 25, 37, 53, 74, 102}), capacities);
}

TEST(GrowableArray, TenAppendsAllocateThreeTimesAndKeepOrder) {
    GrowableArray<int> array;
    InitArray(array);
    int allocations = 0;
    int* storage = array.storage;
    for (int i = 0; i < 10; ++i) {
        Append(array, i * 7);
        if (array.storage != storage) ++allocations, storage = array.storage;
    }
    EXPECT_EQ(3, allocations);
    EXPECT_EQ(16u, array.capacity);
    ASSERT_EQ(10u, array.count);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(i * 7, array[i]);
    Destroy(array);
    EXPECT_EQ(0u, array.count);
    EXPECT_EQ(0u, array.capacity);
    EXPECT_EQ(nullptr, array.storage);
}

struct Entry {
    int id = -1;
    const void* bitmap = nullptr;
};

TEST(GrowableArray, NewStorageIsDefaultConstructed) {
    GrowableArray<Entry> array;
    InitArray(array);
    Append(array, Entry{5, &array});
    EXPECT_EQ(5, array[0].id);
    for (uint32_t i = 1; i < array.capacity; ++i) {
        EXPECT_EQ(-1, array[i].id);
        EXPECT_EQ(nullptr, array[i].bitmap);
    }
    Destroy(array);
}

}  // namespace
