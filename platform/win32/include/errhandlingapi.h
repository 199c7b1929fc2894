// The calling thread's last error.
//
// GetLastError gives the error of the most recent failing call of the Win32-call
// layer on this thread: the value stored with SetLastError, a result code where the
// layer itself refused the call (bad argument, no memory), or the Win32 number of
// the C library's error:
//   EEXIST -> ERROR_ALREADY_EXISTS (183); EACCES, EPERM, EISDIR -> ERROR_ACCESS_DENIED (5);
//   ENOSPC, EDQUOT -> ERROR_DISK_FULL (112); EFBIG -> ERROR_HANDLE_DISK_FULL (39);
//   ENXIO, ENODEV -> ERROR_INVALID_FUNCTION (1); ENOENT -> ERROR_FILE_NOT_FOUND (2);
//   EIO, ESTALE and lost network links -> ERROR_NETNAME_DELETED (64);
//   others as listed in the layer's ErrnoToWin32.cpp, ERROR_GEN_FAILURE (31) when
//   there is no counterpart.
#pragma once

#include "windef.h"

extern "C" {
void WINAPI SetLastError(DWORD code);
DWORD WINAPI GetLastError(void);
}
