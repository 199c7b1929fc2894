// The width rule: every block at least 15 px, the row exactly its width, and no
// negative width or division by zero on rows too narrow or disks of no sectors.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "BlockWidthRule.h"

namespace {

std::vector<int> Widths(int rowWidth, unsigned long long disk, const std::vector<long long>& blocks)
{
    BlockWidthRule rule(rowWidth, blocks.size(), disk);
    std::vector<int> widths;
    for (size_t i = 0; i < blocks.size(); ++i)
        widths.push_back(rule.Next(blocks[i], i + 1 == blocks.size()));
    return widths;
}

} // namespace

TEST(BlockWidthRule, BlocksGetFifteenPixelsAndTheirShareAndFillTheRow)
{
    // 600 px, 4 blocks: 540 px are shared out after the minimums.
    const std::vector<int> widths = Widths(600, 1000, {500, 250, 10, 240});
    EXPECT_EQ(widths, (std::vector<int>{285, 150, 20, 145}));
    EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0), 600);
}

TEST(BlockWidthRule, RowsOfManyKindsAddUpToTheirWidthWithNoBlockUnderFifteen)
{
    const struct {
        const char* what;
        int width;
        unsigned long long disk;
        std::vector<long long> blocks;
    } cases[] = {
        {"one block takes the whole row", 616, 262144, {1000}},
        {"tiny partitions", 616, 262144, {1, 1, 1, 262141}},
        {"the disk larger than its partitions", 616, 1000000, {1000, 2000, 3000}},
        {"forty blocks", 616, 40000, std::vector<long long>(40, 1000)},
        {"shares that round up", 100, 3, {1, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<int> widths = Widths(c.width, c.disk, c.blocks);
        EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0), c.width);
        for (int w : widths)
            EXPECT_GE(w, 15);
    }
}

TEST(BlockWidthRule, NarrowRowsAndEmptyDisksGiveNoNegativeWidths)
{
    const struct {
        const char* what;
        int width;
        unsigned long long disk;
        std::vector<long long> blocks;
        std::vector<int> widths;
    } cases[] = {
        // 15 x 10 > 100: each block's minimum becomes 10 px.
        {"ten blocks in 100 px", 100, 1000, std::vector<long long>(10, 100), std::vector<int>(10, 10)},
        {"a disk of no sectors shares nothing out", 100, 0, {0, 0, 0}, {15, 15, 70}},
        {"a row of no width", 0, 1000, {500, 500}, {0, 0}},
        {"a negative row width", -30, 1000, {500, 500}, {0, 0}},
        // A block claiming more than the disk leaves the others their minimum.
        {"a share above the whole", 100, 10, {1000, 5, 5}, {70, 15, 15}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<int> widths = Widths(c.width, c.disk, c.blocks);
        EXPECT_EQ(widths, c.widths);
        for (int w : widths)
            EXPECT_GE(w, 0);
    }
}
