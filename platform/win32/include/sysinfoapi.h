// The current time and a millisecond tick counter.
#pragma once

#include "minwinbase.h"
#include "windef.h"
#include "winnt.h"

extern "C" {
void WINAPI GetSystemTime(LPSYSTEMTIME now);
void WINAPI GetSystemTimeAsFileTime(LPFILETIME now);
// Milliseconds since an arbitrary start, from the layer's clock; wraps after 49.7 days, so use differences.
DWORD WINAPI GetTickCount(void);
// Fills info (whose dwOSVersionInfoSize must be sizeof(OSVERSIONINFOA)) with the
// version the layer reports; tests may set another one.
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info);
}

extern "C" {
// The Windows folder; 0 when the layer has none.
UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size);
}
