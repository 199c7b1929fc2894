#include <gtest/gtest.h>

#include "CheckProgressMath.h"

using namespace CheckProgressMath;

TEST(CheckProgressMath, VolumeEndsShareNinetyFivePercent)
{
    EXPECT_EQ(52u, OverallAfterVolume(0, 2));
    EXPECT_EQ(100u, OverallAfterVolume(1, 2));
    EXPECT_EQ(100u, OverallAfterVolume(0, 1));
    EXPECT_EQ(36u, OverallAfterVolume(0, 3));
    EXPECT_EQ(100u, OverallAfterVolume(2, 3));
}

TEST(CheckProgressMath, BlocksStepWithIntegerDivisions)
{
    EXPECT_EQ(5u, BlocksItemPercent(0, 8));
    EXPECT_EQ(50u, BlocksItemPercent(4, 8));
    EXPECT_EQ(95u, BlocksItemPercent(8, 8));
    // More clusters than the used count promised never pass the blocks' share.
    EXPECT_EQ(95u, BlocksItemPercent(20, 8));
    // (50 x 95 / 100) / 2 + 5: each division on its own.
    EXPECT_EQ(28u, OverallPercent(0, 2, 50));
    EXPECT_EQ(52u, OverallPercent(1, 2, 0));
    EXPECT_EQ(50u, OverallAfterBlocks(0, 2));
    EXPECT_EQ(95u, OverallAfterBlocks(0, 1));
}
