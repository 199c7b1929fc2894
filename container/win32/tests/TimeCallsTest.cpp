#include "FileTestHelpers.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>

namespace {

uint64_t Ticks(const FILETIME& time) { return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

FILETIME FromTicks(uint64_t ticks)
{
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

SYSTEMTIME Make(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms, WORD dayOfWeek = 0)
{
    SYSTEMTIME t;
    t.wYear = year;
    t.wMonth = month;
    t.wDayOfWeek = dayOfWeek;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wMilliseconds = ms;
    return t;
}

} // namespace

// File times count 100 ns from 1601-01-01 UTC; the day of week comes back filled.
TEST(FileTimes, KnownPointsConvertBothWays)
{
    struct Case {
        SYSTEMTIME time; // with its true day of week
        uint64_t ticks;
    };
    const Case cases[] = {
        {Make(1601, 1, 1, 0, 0, 0, 0, 1), 0},
        {Make(1970, 1, 1, 0, 0, 0, 0, 4), 116444736000000000ull},
        {Make(2000, 2, 29, 12, 34, 56, 789, 2), 125963012967890000ull},
        {Make(2026, 12, 10, 14, 5, 57, 0, 4), 134413851570000000ull},
        {Make(30827, 12, 31, 23, 59, 59, 999, 5), 0x7FFF35F4F06C58F0ull},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ticks);
        FILETIME fileTime{};
        ASSERT_TRUE(SystemTimeToFileTime(&c.time, &fileTime));
        EXPECT_EQ(Ticks(fileTime), c.ticks);
        SYSTEMTIME back{};
        ASSERT_TRUE(FileTimeToSystemTime(&fileTime, &back));
        EXPECT_EQ(std::memcmp(&back, &c.time, sizeof back), 0)
            << back.wYear << "-" << back.wMonth << "-" << back.wDay << " dow " << back.wDayOfWeek << " "
            << back.wHour << ":" << back.wMinute << ":" << back.wSecond << "." << back.wMilliseconds;
    }
}

TEST(FileTimes, SubMillisecondTicksAreDroppedOnTheWayToSystemTime)
{
    const FILETIME fileTime = FromTicks(116444736000000000ull + 12345678);
    SYSTEMTIME t{};
    ASSERT_TRUE(FileTimeToSystemTime(&fileTime, &t));
    EXPECT_EQ(t.wSecond, 1);
    EXPECT_EQ(t.wMilliseconds, 234);
}

TEST(FileTimes, RefusesImpossibleValues)
{
    const SYSTEMTIME bad[] = {
        Make(1900, 2, 29, 0, 0, 0, 0), Make(2023, 13, 1, 0, 0, 0, 0), Make(2023, 4, 31, 0, 0, 0, 0),
        Make(1600, 12, 31, 0, 0, 0, 0), Make(2023, 1, 0, 0, 0, 0, 0), Make(2023, 1, 1, 24, 0, 0, 0),
        Make(2023, 1, 1, 0, 60, 0, 0),  Make(2023, 1, 1, 0, 0, 60, 0), Make(2023, 1, 1, 0, 0, 0, 1000),
    };
    for (const SYSTEMTIME& t : bad) {
        FILETIME fileTime{};
        EXPECT_FALSE(SystemTimeToFileTime(&t, &fileTime)) << t.wYear << "-" << t.wMonth << "-" << t.wDay;
    }
    const FILETIME tooLate = FromTicks(0x8000000000000000ull);
    SYSTEMTIME t{};
    EXPECT_FALSE(FileTimeToSystemTime(&tooLate, &t));
    FILETIME fileTime{};
    EXPECT_FALSE(SystemTimeToFileTime(nullptr, &fileTime));
    EXPECT_FALSE(SystemTimeToFileTime(&t, nullptr));
    EXPECT_FALSE(FileTimeToSystemTime(nullptr, &t));
    EXPECT_FALSE(FileTimeToSystemTime(&fileTime, nullptr));
    EXPECT_TRUE(LastErrorIsBadArgument());
}

TEST(SystemTime, NowAgreesBetweenBrokenDownAndFileTime)
{
    FILETIME before{};
    GetSystemTimeAsFileTime(&before);
    SYSTEMTIME now{};
    GetSystemTime(&now);
    EXPECT_EQ(now.wMilliseconds, 0);
    FILETIME nowAsFileTime{};
    ASSERT_TRUE(SystemTimeToFileTime(&now, &nowAsFileTime));
    const int64_t apart = static_cast<int64_t>(Ticks(nowAsFileTime)) - static_cast<int64_t>(Ticks(before));
    EXPECT_LT(apart < 0 ? -apart : apart, 5 * 10000000LL);

    SYSTEMTIME check{};
    ASSERT_TRUE(FileTimeToSystemTime(&nowAsFileTime, &check));
    EXPECT_EQ(check.wDayOfWeek, now.wDayOfWeek);
}

// Win32 callers take differences of the tick count as milliseconds.
TEST(TickCount, CountsMilliseconds)
{
    const DWORD start = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 140u);
    EXPECT_LT(elapsed, 60000u);
}
