// The tick counter of the container's own build, straight from the system's clock.
#include "Win32Layer.h"

#include <time.h>

#include <cstdint>

// Milliseconds, as Win32 callers compute elapsed times from differences of this
// value; the monotonic clock keeps those differences right when the date is set.
extern "C" DWORD WINAPI GetTickCount(void)
{
    struct timespec clockReading;
    ::clock_gettime(CLOCK_MONOTONIC, &clockReading);
    const uint64_t milliseconds =
        static_cast<uint64_t>(clockReading.tv_sec) * 1000u + static_cast<uint64_t>(clockReading.tv_nsec) / 1000000u;
    return static_cast<DWORD>(milliseconds);
}
