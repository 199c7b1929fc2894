// Conversions between broken-down UTC time and 64-bit file times.
#pragma once

#include "minwinbase.h"
#include "windef.h"

extern "C" {
BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);
BOOL WINAPI FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
}
