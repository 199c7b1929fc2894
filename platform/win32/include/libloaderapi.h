// The running program's own path.
#pragma once

#include "windef.h"

typedef HANDLE HMODULE;

extern "C" {
// With a null module: the path of the running program (on Linux the host path of its
// executable, or what KSPlatformSetModuleFileName set). Returns the length copied
// without the NUL; a buffer too small gets the path cut, NUL-ended, and
// ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
}
