#include "FoldAnimation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(FoldStepCount, SmallestTriangleNotBelowTheHeightLessOne)
{
    struct Case {
        int height;
        int steps;
    };
    const Case cases[] = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {36, 7}, {37, 8},
                          {40, 8}, {45, 8}, {276, 22}, {277, 23}, {280, 23}, {300, 23}, {301, 24}};
    for (const Case& c : cases) {
        EXPECT_EQ(FoldStepCount(c.height), c.steps) << c.height;
        if (c.height > 0) {
            EXPECT_LT(FoldTriangle(c.steps), c.height) << "T lies below H for " << c.height;
        }
    }
}

TEST(GrowPanelForRow, EachRowAddsFortyPixels)
{
    int height = 0;
    int requested = 0;
    for (int rows = 0; rows < 7; ++rows) {
        const PanelGrowth g = GrowPanelForRow(height, requested, rows);
        height = g.height;
        requested = g.requested;
        EXPECT_EQ(height, 40 * (rows + 1)) << rows;
        EXPECT_EQ(requested, height) << rows;
    }
    // A panel already tall enough does not grow.
    const PanelGrowth same = GrowPanelForRow(200, 215, 2);
    EXPECT_EQ(same.height, 200);
    EXPECT_EQ(same.requested, 215);
}

struct Fold {
    std::vector<int> heights; // every tick's requested height
    std::vector<double> alphas;
    bool endShown = false;
    bool endHidden = false;
    bool endSensitive = false;
};

Fold RunFold(int height, bool expanding)
{
    FoldAnimation fold;
    fold.SetHeight(height);
    EXPECT_TRUE(fold.Start(expanding));
    Fold out;
    for (int guard = 0; guard < 1000; ++guard) {
        const FoldTick tick = fold.Tick();
        out.heights.push_back(tick.height);
        out.alphas.push_back(tick.alpha);
        EXPECT_EQ(tick.showBody, expanding);
        if (!tick.goOn) {
            out.endHidden = tick.hideBody;
            out.endSensitive = tick.rowsSensitive;
            break;
        }
        EXPECT_FALSE(tick.rowsSensitive);
        EXPECT_FALSE(tick.hideBody);
    }
    EXPECT_FALSE(fold.Running());
    return out;
}

TEST(FoldAnimation, HeightsOfEveryTickBothWays)
{
    struct Case {
        int height;
        bool expanding;
        std::vector<int> heights;
    };
    const Case cases[] = {
        {280, true, {5, 7, 10, 14, 19, 25, 32, 40, 49, 59, 70, 82, 95, 109, 124, 140, 157, 175, 194, 214, 235, 257,
                     280, 295}},
        {280, false, {275, 273, 270, 266, 261, 255, 248, 240, 231, 221, 210, 198, 185, 171, 156, 140, 123, 105, 86,
                      66, 45, 23, 0, 0}},
        {40, true, {5, 7, 10, 14, 19, 25, 32, 40, 55}},
        {40, false, {35, 33, 30, 26, 21, 15, 8, 0, 0}},
    };
    for (const Case& c : cases) {
        const Fold fold = RunFold(c.height, c.expanding);
        EXPECT_EQ(fold.heights, c.heights) << c.height << (c.expanding ? " expanding" : " collapsing");
        EXPECT_EQ(fold.heights.size(), static_cast<size_t>(FoldStepCount(c.height) + 1)) << "N + 1 ticks";
        EXPECT_TRUE(fold.endSensitive);
        EXPECT_EQ(fold.endHidden, !c.expanding) << "only a collapse hides the body";
        // The rows fade with the height: h / H on every step tick.
        for (size_t i = 0; i + 1 < fold.heights.size(); ++i)
            EXPECT_DOUBLE_EQ(fold.alphas[i], static_cast<double>(fold.heights[i]) / c.height) << i;
    }
}

TEST(FoldAnimation, AFoldCannotBeStartedAgainOrReversedWhileItRuns)
{
    FoldAnimation fold;
    fold.SetHeight(40);
    ASSERT_TRUE(fold.Start(false));
    // Before the first tick too: the step counter alone would still read 0 here.
    EXPECT_FALSE(fold.Start(true));
    EXPECT_FALSE(fold.Expanding());
    fold.Tick();
    EXPECT_FALSE(fold.Start(true));
    while (fold.Tick().goOn) {
    }
    EXPECT_TRUE(fold.Start(true));
    EXPECT_EQ(fold.Tick().height, 5);
}

TEST(FoldAnimation, AnEmptyPanelEndsAtOnce)
{
    const Fold fold = RunFold(0, true);
    EXPECT_EQ(fold.heights, (std::vector<int>{15}));
    const Fold tick = RunFold(1, true);
    EXPECT_EQ(tick.heights, (std::vector<int>{16}));
}

} // namespace
