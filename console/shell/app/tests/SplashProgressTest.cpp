#include "SplashProgress.h"

#include <gtest/gtest.h>

namespace {

TEST(SplashProgress, FillsInTenthsAndStartsAgainOnceFull)
{
    struct Case {
        double current;
        double next;
    };
    const Case cases[] = {{0.0, 0.1}, {0.5, 0.6}, {1.0, 0.1}, {0.95, 1.0}, {-0.3, 0.0}};
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(NextSplashFraction(c.current), c.next) << c.current;
}

TEST(SplashProgress, ReachesFullAndWrapsWithinAFewTicks)
{
    // Sums of tenths never land on exactly 1.0, but the bar's clamp makes them
    // read back full, after which the bar restarts from a tenth.
    double value = 0.0;
    int ticksToFull = 0;
    while (value != 1.0 && ticksToFull < 20) {
        value = NextSplashFraction(value);
        ++ticksToFull;
    }
    EXPECT_EQ(ticksToFull, 11);
    EXPECT_DOUBLE_EQ(NextSplashFraction(value), 0.1);
}

} // namespace
