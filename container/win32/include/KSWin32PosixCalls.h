// Test seam of the Win32-call layer: the POSIX calls through which the layer opens,
// reads and writes files, swappable so that tests can inject a full disk (Write
// fails with ENOSPC), a vanished device (Read or Write fails with ENXIO or EIO),
// short writes (Write returns fewer bytes than asked) or any open failure.
//
// Replacements behave like the real calls: return -1 and set errno on failure. A
// null member means the real call. The table is process-wide (each member is
// swapped atomically), so install replacements before starting threads that do
// I/O and restore them afterwards; KSWin32ScopedPosixCalls does both.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <ctime>

struct KSWin32PosixCalls {
    int (*Open)(const char* path, int flags, mode_t mode);  // open(2)
    ssize_t (*Read)(int fd, void* buffer, size_t size);     // read(2)
    ssize_t (*Write)(int fd, const void* data, size_t size); // write(2)
    // Sets a descriptor's status flags (fcntl F_SETFL); used to turn on O_DIRECT.
    int (*SetStatusFlags)(int fd, int flags);
    // The clock of GetSystemTime (time(2)) and the random source of new GUIDs
    // (getrandom(2)): fixed by tests that compare whole image files.
    time_t (*Time)(time_t* out);
    ssize_t (*GetRandom)(void* buffer, size_t size, unsigned int flags);
};

// The real calls.
KSWin32PosixCalls KSWin32RealPosixCalls();
// The calls now in use.
KSWin32PosixCalls KSWin32CurrentPosixCalls();
// Installs calls (null members mean the real call) and returns the previous table.
KSWin32PosixCalls KSWin32SetPosixCalls(const KSWin32PosixCalls& calls);
