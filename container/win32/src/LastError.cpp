#include "Win32Layer.h"

namespace {
// Per thread, as on Windows: the engines' worker threads must not see each other's
// failures.
thread_local DWORD lastError = ERROR_SUCCESS;
} // namespace

namespace ks_win32 {

void SetLastErrorValue(DWORD code) { lastError = code; }

void FailWithErrno(int err) { lastError = ErrnoToWin32(err); }

} // namespace ks_win32

extern "C" void WINAPI SetLastError(DWORD code) { lastError = code; }

extern "C" DWORD WINAPI GetLastError(void) { return lastError; }
