// Sleep, GetTickCount and _time64 share one clock that a test may replace.
#include "PlatformTestHelpers.h"

namespace {

class ClockTest : public PlatformTest {};

TEST_F(ClockTest, AFakeClockLetsAPollLoopRunAtOnce)
{
    KSFakeClock clock(5000, 1700000000);
    EXPECT_EQ(KSPlatformSetClock(&clock), nullptr) << "the real clock was in use";
    const DWORD start = GetTickCount();
    EXPECT_EQ(start, 5000u);
    EXPECT_EQ(_time64(nullptr), 1700000000);

    // A retry loop of the engines' kind: an hour of five-second waits.
    int tries = 0;
    ASSERT_TRUE(FinishesWithin(kDeadline, [&] {
        while (GetTickCount() - start < 3600 * 1000) {
            Sleep(5000);
            ++tries;
        }
    }));
    EXPECT_EQ(tries, 720);
    EXPECT_EQ(clock.Slept(), 3600u * 1000u);
    __time64_t stored = 0;
    EXPECT_EQ(_time64(&stored), 1700000000 + 3600);
    EXPECT_EQ(stored, 1700000000 + 3600);

    clock.Advance(1500);
    EXPECT_EQ(GetTickCount() - start, 3600u * 1000u + 1500u);
    EXPECT_EQ(_time64(nullptr), 1700000000 + 3601) << "whole seconds only";
    EXPECT_EQ(KSPlatformSetClock(nullptr), &clock);
}

TEST_F(ClockTest, TheTickCountWrapsAtThirtyTwoBits)
{
    KSFakeClock clock(0xFFFFFF00ull, 0);
    KSPlatformSetClock(&clock);
    const DWORD before = GetTickCount();
    Sleep(0x200);
    EXPECT_EQ(GetTickCount(), 0x100u);
    EXPECT_EQ(GetTickCount() - before, 0x200u) << "differences stay right across the wrap";
    KSPlatformSetClock(nullptr);
}

TEST_F(ClockTest, TheRealClockMovesWithTime)
{
    const DWORD start = GetTickCount();
    const __time64_t now = _time64(nullptr);
    EXPECT_NEAR(static_cast<double>(now), static_cast<double>(time(nullptr)), 2.0);
    Sleep(30);
    EXPECT_GE(GetTickCount() - start, 30u);
}

} // namespace
