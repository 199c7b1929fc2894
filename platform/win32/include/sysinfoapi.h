// The current time and a millisecond tick counter.
#pragma once

#include "minwinbase.h"
#include "windef.h"

extern "C" {
void WINAPI GetSystemTime(LPSYSTEMTIME now);
void WINAPI GetSystemTimeAsFileTime(LPFILETIME now);
// Milliseconds since an arbitrary start; wraps after 49.7 days, so use differences.
DWORD WINAPI GetTickCount(void);
}
