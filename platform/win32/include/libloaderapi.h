// The running program's own path, and the system modules already loaded and their
// calls by name.
#pragma once

#include "windef.h"

typedef HANDLE HMODULE;
typedef INT_PTR(WINAPI* FARPROC)();

extern "C" {
// With a null module: the path of the running program (on Linux the host path of its
// executable, or what KSPlatformSetModuleFileName set). Returns the length copied
// without the NUL; a buffer too small gets the path cut, NUL-ended, and
// ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
// A module of the process by name (".dll" may be left out; case does not matter): on
// Linux the system modules whose calls the layer provides ("kernel32", "setupapi",
// "cfgmgr32", "newdev", "advapi32", "ntdll"); null with ERROR_MOD_NOT_FOUND for
// others. A null name gives the running program.
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
HMODULE WINAPI GetModuleHandleW(LPCWSTR name);
// One of the module's calls; null with ERROR_PROC_NOT_FOUND when it has none of the name.
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
}
