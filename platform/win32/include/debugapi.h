// Text for a debugger. On Linux each line is kept for tests (KSPlatformControl.h)
// and echoed to standard error when RVD_DEBUG_OUTPUT is set.
#pragma once

#include "windef.h"

extern "C" {
void WINAPI OutputDebugStringA(LPCSTR text);
void WINAPI OutputDebugStringW(LPCWSTR text);
}
