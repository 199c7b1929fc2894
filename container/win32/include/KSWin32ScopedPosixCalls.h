// Installs replacement POSIX calls for the lifetime of a scope (test seam).
//
//   KSWin32PosixCalls calls = KSWin32RealPosixCalls();
//   calls.Write = [](int, const void*, size_t) -> ssize_t { errno = ENOSPC; return -1; };
//   KSWin32ScopedPosixCalls fullDisk(calls);
//   ... WriteFile now fails with GetLastError() == ERROR_DISK_FULL ...
#pragma once

#include "KSWin32PosixCalls.h"

class KSWin32ScopedPosixCalls {
public:
    explicit KSWin32ScopedPosixCalls(const KSWin32PosixCalls& calls) : previous_(KSWin32SetPosixCalls(calls)) {}
    ~KSWin32ScopedPosixCalls() { KSWin32SetPosixCalls(previous_); }
    KSWin32ScopedPosixCalls(const KSWin32ScopedPosixCalls&) = delete;
    KSWin32ScopedPosixCalls& operator=(const KSWin32ScopedPosixCalls&) = delete;

private:
    KSWin32PosixCalls previous_;
};
