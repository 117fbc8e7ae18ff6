// The engine's own 15-bit linear congruential generator.
#include "ReverbRandom.h"

#include <gtest/gtest.h>

namespace {

TEST(ReverbRandom, FollowsTheWellKnownSequence)
{
    // The published first values of this rule from seed 1.
    ReverbRandom random;
    random.Seed(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (const int value : expected)
        EXPECT_EQ(random.Next(), value);
}

TEST(ReverbRandom, StaysWithinFifteenBitsAndRepeatsAfterReseeding)
{
    ReverbRandom a;
    ReverbRandom b;
    a.Seed(8);
    b.Seed(8);
    int lowest = 32767, highest = 0;
    for (int n = 0; n < 200000; ++n) {
        const int value = a.Next();
        ASSERT_EQ(value, b.Next());
        lowest = value < lowest ? value : lowest;
        highest = value > highest ? value : highest;
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, ReverbRandom::kMaxValue);
    b.Seed(8);
    ReverbRandom c;
    c.Seed(8);
    EXPECT_EQ(b.Next(), c.Next());
}

} // namespace
