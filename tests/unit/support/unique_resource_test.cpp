#include "support/unique_resource.h"

#include <gtest/gtest.h>

namespace {
int releasedCount = 0;
int lastReleased = 0;

struct CountingTraits {
    static int invalid() { return -1; }
    static void release(int value) {
        ++releasedCount;
        lastReleased = value;
    }
};
using Owned = UniqueResource<CountingTraits>;

TEST(UniqueResource, ReleasesOnceThroughMovesAndResets) {
    releasedCount = 0;
    {
        Owned first(7);
        Owned second(std::move(first));
        EXPECT_FALSE(first.valid());
        Owned third;
        third = std::move(second);
        EXPECT_EQ(releasedCount, 0);
        third.reset(9);
        EXPECT_EQ(releasedCount, 1);
        EXPECT_EQ(lastReleased, 7);
    }
    EXPECT_EQ(releasedCount, 2);
    EXPECT_EQ(lastReleased, 9);
}

TEST(UniqueResource, ReleaseGivesUpOwnership) {
    releasedCount = 0;
    int value;
    {
        Owned owned(5);
        value = owned.release();
    }
    EXPECT_EQ(value, 5);
    EXPECT_EQ(releasedCount, 0);
}
} // namespace
