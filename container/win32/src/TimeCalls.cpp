// Time: broken-down UTC and 64-bit file times. The tick counter is in
// standalone/MonotonicTickCount.cpp (the platform layer has its own clock).
//
// File times count 100-nanosecond intervals from 1601-01-01 00:00 UTC, as on
// Windows, so that values agree across platforms; the calendar arithmetic is done
// here (proleptic Gregorian) rather than through the C library, whose time_t may not
// reach back to 1601.
#include "Win32Layer.h"

#include <time.h>

#include <cstdint>

namespace {

constexpr int64_t kTicksPerSecond = 10000000;       // 100-ns units
constexpr int64_t kTicksPerMillisecond = 10000;
constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kDaysFrom1601To1970 = 134774;
constexpr uint16_t kLastYear = 30827; // the last year Windows file times cover

bool IsLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int64_t year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days from 1970-01-01 to the given date (negative before it).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int64_t& year, int& month, int& day)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

void StoreFileTime(uint64_t ticks, LPFILETIME fileTime)
{
    fileTime->dwLowDateTime = static_cast<DWORD>(ticks);
    fileTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

} // namespace

extern "C" void WINAPI GetSystemTime(LPSYSTEMTIME now)
{
    if (!now)
        return;
    const time_t seconds = ks_win32::CallTime(nullptr);
    struct tm broken;
    if (!::gmtime_r(&seconds, &broken))
        return;
    now->wYear = static_cast<WORD>(broken.tm_year + 1900);
    now->wMonth = static_cast<WORD>(broken.tm_mon + 1);
    now->wDayOfWeek = static_cast<WORD>(broken.tm_wday);
    now->wDay = static_cast<WORD>(broken.tm_mday);
    now->wHour = static_cast<WORD>(broken.tm_hour);
    now->wMinute = static_cast<WORD>(broken.tm_min);
    now->wSecond = static_cast<WORD>(broken.tm_sec);
    now->wMilliseconds = 0;
}

extern "C" void WINAPI GetSystemTimeAsFileTime(LPFILETIME now)
{
    if (!now)
        return;
    struct timespec clockReading;
    ::clock_gettime(CLOCK_REALTIME, &clockReading);
    const int64_t seconds = static_cast<int64_t>(clockReading.tv_sec) + kDaysFrom1601To1970 * kSecondsPerDay;
    const int64_t ticks = seconds * kTicksPerSecond + clockReading.tv_nsec / 100;
    StoreFileTime(static_cast<uint64_t>(ticks), now);
}

// The day of week is ignored, as on Windows; every other field must be in range.
extern "C" BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime)
{
    if (!systemTime || !fileTime) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return FALSE;
    }
    const SYSTEMTIME& t = *systemTime;
    if (t.wYear < 1601 || t.wYear > kLastYear || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 ||
        t.wDay > DaysInMonth(t.wYear, t.wMonth) || t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59 ||
        t.wMilliseconds > 999) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int64_t days = DaysFromCivil(t.wYear, t.wMonth, t.wDay) + kDaysFrom1601To1970;
    const int64_t seconds = days * kSecondsPerDay + t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
    StoreFileTime(static_cast<uint64_t>(seconds * kTicksPerSecond + t.wMilliseconds * kTicksPerMillisecond),
                  fileTime);
    return TRUE;
}

extern "C" BOOL WINAPI FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime)
{
    if (!fileTime || !systemTime) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return FALSE;
    }
    const uint64_t ticks = (static_cast<uint64_t>(fileTime->dwHighDateTime) << 32) | fileTime->dwLowDateTime;
    // Beyond the signed 64-bit range (and so past year 30827) Windows refuses too.
    if (ticks > static_cast<uint64_t>(INT64_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int64_t totalSeconds = static_cast<int64_t>(ticks) / kTicksPerSecond;
    const int64_t days = totalSeconds / kSecondsPerDay; // from 1601-01-01, a Monday
    const int64_t secondOfDay = totalSeconds % kSecondsPerDay;
    int64_t year;
    int month;
    int day;
    CivilFromDays(days - kDaysFrom1601To1970, year, month, day);
    systemTime->wYear = static_cast<WORD>(year);
    systemTime->wMonth = static_cast<WORD>(month);
    systemTime->wDayOfWeek = static_cast<WORD>((days + 1) % 7);
    systemTime->wDay = static_cast<WORD>(day);
    systemTime->wHour = static_cast<WORD>(secondOfDay / 3600);
    systemTime->wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
    systemTime->wSecond = static_cast<WORD>(secondOfDay % 60);
    systemTime->wMilliseconds = static_cast<WORD>(static_cast<int64_t>(ticks) % kTicksPerSecond / kTicksPerMillisecond);
    return TRUE;
}
