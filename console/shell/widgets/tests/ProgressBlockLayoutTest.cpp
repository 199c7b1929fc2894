#include "ProgressBlockLayout.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressBlockLayout, EmptyBarHasNoBlocks)
{
    const ProgressBlockLayout layout = LayoutProgressBlocks(300, 20, 0.0);
    EXPECT_TRUE(layout.blockX.empty());
    EXPECT_FALSE(layout.hasPartial);
}

TEST(ProgressBlockLayout, FullBarOf300Pixels)
{
    const ProgressBlockLayout layout = LayoutProgressBlocks(300, 20, 1.0);
    ASSERT_EQ(layout.blockX.size(), 30u); // 29 full blocks and one partial
    for (int i = 0; i < 29; ++i)
        EXPECT_EQ(layout.blockX[static_cast<size_t>(i)], 4 + 10 * i);
    EXPECT_EQ(layout.blockX.back(), 294);
    EXPECT_EQ(layout.blockY, 1);
    ASSERT_TRUE(layout.hasPartial);
    EXPECT_EQ(layout.cover.x, 300); // the cover lies past the bar's last column
    EXPECT_EQ(layout.cover.width, 2);
}

TEST(ProgressBlockLayout, PartialBlockNeedsThreeColumns)
{
    // n = w·f - 2: r of 1 or 2 gives no partial block, r of 3 gives one.
    struct {
        int width;
        size_t blocks;
        bool partial;
    } rests[] = {{33, 3, false}, {34, 3, false}, {35, 4, true}, {42, 4, false}};
    for (const auto& c : rests) {
        const ProgressBlockLayout layout = LayoutProgressBlocks(c.width, 20, 1.0);
        EXPECT_EQ(layout.blockX.size(), c.blocks) << c.width;
        EXPECT_EQ(layout.hasPartial, c.partial) << c.width;
    }
    const ProgressBlockLayout three = LayoutProgressBlocks(35, 24, 1.0); // n = 33, r = 3
    EXPECT_EQ(three.blockX.back(), 34);
    EXPECT_EQ(three.cover.x, 35);
    EXPECT_EQ(three.cover.y, 3);
    EXPECT_EQ(three.cover.width, 7);
    EXPECT_EQ(three.cover.height, 21);
}

TEST(ProgressBlockLayout, TextIsCentred)
{
    double x = 0, y = 0;
    ProgressTextOrigin(301, 21, 40.0, 9.0, &x, &y);
    EXPECT_DOUBLE_EQ(x, 150 - 20.0);
    EXPECT_DOUBLE_EQ(y, 10 + 4.5);
    ProgressTextOrigin(100, 20, 300.0, 10.0, &x, &y); // wider than the bar: starts left of it
    EXPECT_DOUBLE_EQ(x, -100.0);
}

} // namespace
