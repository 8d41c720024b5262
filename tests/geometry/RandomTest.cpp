#include "geometry/Random.h"

#include <gtest/gtest.h>

namespace {

TEST(Random, FollowsTheLinearCongruentialSequenceFromStateOneAndRestartsOnReseed) {
    // Nothing else in this test program draws from the generator, so this is the state the
    // process starts with.
    EXPECT_EQ(Random(), 41);
    EXPECT_EQ(Random(), 18467);
    EXPECT_EQ(Random(), 6334);
    for (int i = 0; i < 1000; ++i) {
        const int value = Random();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, randomMax);
    }
    SeedRandom(1);
    EXPECT_EQ(Random(), 41);
    EXPECT_EQ(Random(), 18467);
}

} // namespace
