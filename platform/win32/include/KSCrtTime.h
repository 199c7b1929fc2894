// The C run-time's 64-bit time. On Windows _time64 comes with <time.h>; the Linux
// <time.h> lacks it, so <windows.h> brings it here.
#pragma once

#include <cstdint>

typedef int64_t __time64_t;

extern "C" {
// Seconds since 1970-01-01 00:00 UTC from the layer's clock; also stored in
// *destination when it is not null.
__time64_t _time64(__time64_t* destination);
}
