// System time in 100 ns units since 1601, the tick count, and the conversions
// between a time and its calendar fields.
#include "ZeDiskPort.h"

#include <chrono>

namespace {

constexpr int64_t kUnitsPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;

// Days since 1970-01-01 for a civil date, and back (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

} // namespace

extern "C" {

int64_t ZdPortSystemTime(void)
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const int64_t units = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100;
    return units + kSecondsFrom1601To1970 * kUnitsPerSecond;
}

uint64_t ZdPortTickCount(void)
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void ZdPortTimeToFields(int64_t time, ZdTimeFields* fields)
{
    const int64_t totalMs = time / 10000;
    const int64_t secondsSince1601 = totalMs / 1000;
    const int64_t days = secondsSince1601 / 86400 - kSecondsFrom1601To1970 / 86400;
    int64_t y;
    unsigned m, d;
    CivilFromDays(days, y, m, d);
    const int64_t inDay = secondsSince1601 % 86400;
    fields->Year = static_cast<int16_t>(y);
    fields->Month = static_cast<int16_t>(m);
    fields->Day = static_cast<int16_t>(d);
    fields->Hour = static_cast<int16_t>(inDay / 3600);
    fields->Minute = static_cast<int16_t>(inDay % 3600 / 60);
    fields->Second = static_cast<int16_t>(inDay % 60);
    fields->Milliseconds = static_cast<int16_t>(totalMs % 1000);
    // 1601-01-01 was a Monday (1).
    fields->Weekday = static_cast<int16_t>((secondsSince1601 / 86400 + 1) % 7);
}

int ZdPortFieldsToTime(const ZdTimeFields* f, int64_t* time)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (f->Year < 1601 || f->Month < 1 || f->Month > 12 || f->Day < 1 || f->Hour < 0 || f->Hour > 23 ||
        f->Minute < 0 || f->Minute > 59 || f->Second < 0 || f->Second > 59 || f->Milliseconds < 0 ||
        f->Milliseconds > 999)
        return 0;
    const int monthDays = kDays[f->Month - 1] + (f->Month == 2 && IsLeap(f->Year) ? 1 : 0);
    if (f->Day > monthDays)
        return 0;
    const int64_t days = DaysFromCivil(f->Year, static_cast<unsigned>(f->Month), static_cast<unsigned>(f->Day)) +
                         kSecondsFrom1601To1970 / 86400;
    const int64_t seconds = days * 86400 + f->Hour * 3600 + f->Minute * 60 + f->Second;
    *time = seconds * kUnitsPerSecond + static_cast<int64_t>(f->Milliseconds) * 10000;
    return 1;
}

} // extern "C"
