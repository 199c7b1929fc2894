// Internals shared by the sources of the Win32-call layer.
#pragma once

#include "KSResult.h"
#include "KSWin32PosixCalls.h"

#include <windows.h>

// The module whose number the layer's own result codes carry (set per build).
#ifndef KS_WIN32_MODULE
#define KS_WIN32_MODULE KS_MODULE_CONTAINER
#endif

// Records a refusal of the layer itself (bad argument, no memory) as the last error,
// with the line of the refusing statement.
#define KS_WIN32_REFUSE(kind) ks_win32::SetLastErrorValue(KS_RESULT(KS_WIN32_MODULE, (kind)))

namespace ks_win32 {

void SetLastErrorValue(DWORD code);
// Records the C library's error number err as the last error, mapped to Win32.
void FailWithErrno(int err);
DWORD ErrnoToWin32(int err);

// The descriptor a file handle carries, or -1 when the handle cannot be one.
int HandleToDescriptor(HANDLE handle);
HANDLE DescriptorToHandle(int fd);

// The POSIX calls in use (see KSWin32PosixCalls.h).
int CallOpen(const char* path, int flags, mode_t mode);
ssize_t CallRead(int fd, void* buffer, size_t size);
ssize_t CallWrite(int fd, const void* data, size_t size);
int CallSetStatusFlags(int fd, int flags);

} // namespace ks_win32
