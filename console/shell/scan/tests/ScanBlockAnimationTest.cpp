#include "ScanBlockAnimation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using C = ScanColour;

TEST(ScanBlockAnimation, StepsOverAWidePicture)
{
    struct Case {
        int position;
        int width;
        std::vector<ScanFill> fills;
        int next;
    };
    const Case cases[] = {
        // The first tick has no trail yet.
        {1, 100, {{1, 7, C::Block}}, 6},
        {6, 100, {{1, 7, C::Trail}, {6, 7, C::Block}}, 11},
        // Near the edge the block shrinks to W - p - 1.
        {94, 100, {{89, 7, C::Trail}, {94, 5, C::Block}}, 99},
        // Reaching the edge paints the last trail and a black end, then wraps.
        {96, 100, {{91, 7, C::Trail}, {96, 3, C::Block}, {93, 7, C::Trail}, {99, 1, C::Black}}, 1},
        {99, 100, {{94, 7, C::Trail}, {99, 0, C::Block}, {93, 7, C::Trail}, {99, 1, C::Black}}, 1},
        // A picture too narrow for a block (a missing picture's tiny allocation).
        {1, 1, {{1, 0, C::Block}, {-6, 7, C::Trail}, {0, 1, C::Black}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "p=" << c.position << " W=" << c.width);
        const ScanStep step = NextScanStep(c.position, c.width);
        ASSERT_EQ(step.fills.size(), c.fills.size());
        for (size_t i = 0; i < c.fills.size(); ++i) {
            EXPECT_EQ(step.fills[i].x, c.fills[i].x) << i;
            EXPECT_EQ(step.fills[i].width, c.fills[i].width) << i;
            EXPECT_EQ(step.fills[i].colour, c.fills[i].colour) << i;
        }
        EXPECT_EQ(step.next, c.next);
    }
}

TEST(ScanBlockAnimation, RunsRoundAndRoundWithoutNegativeWidths)
{
    for (int width : {1, 2, 7, 8, 13, 64, 331}) {
        int p = kScanBlockStart;
        int wraps = 0;
        for (int tick = 0; tick < 500; ++tick) {
            const ScanStep step = NextScanStep(p, width);
            for (const ScanFill& f : step.fills)
                ASSERT_GE(f.width, 0) << "W=" << width << " p=" << p;
            ASSERT_GE(step.next, 1);
            ASSERT_LT(step.next, std::max(width, 2));
            if (step.next == kScanBlockStart)
                ++wraps;
            p = step.next;
        }
        EXPECT_GT(wraps, 0) << "W=" << width;
    }
}

} // namespace
