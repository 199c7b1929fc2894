// Internals shared by the sources of the Win32-call layer.
#pragma once

#include "KSResult.h"
#include "KSWin32PosixCalls.h"

#include <windows.h>

#include <string>

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

// Files by descriptor. The Win32 entry points that take a handle find its
// descriptor and call these: the container's own build (standalone/) carries the
// descriptor in the handle, the engines' platform layer keeps it in its handle table.
// Each returns -1 or FALSE with the last error set on failure.
int OpenDescriptor(LPCWSTR path, DWORD access, DWORD disposition, DWORD flagsAndAttributes);
BOOL CloseDescriptor(int fd);
BOOL ReadDescriptor(int fd, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteDescriptor(int fd, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
BOOL SeekDescriptor(int fd, LONGLONG distance, DWORD method, PLARGE_INTEGER newPosition);
BOOL TruncateDescriptor(int fd);
BOOL DescriptorSize(int fd, PLARGE_INTEGER size);

// Paths that begin with a drive letter ("X:", "X:\...", "\\?\X:\..."). The
// container's own build knows no drives and takes every path as it is; the platform
// layer maps them through its drive table.
enum class DrivePath {
    NotADrivePath, // use the path as it is
    Mapped,        // hostPath holds the host's path for it
    NoSuchDrive,   // the letter names no drive
    BadName,       // the rest of the path has no form in the current locale
};
DrivePath MapDrivePath(const wchar_t* path, std::string& hostPath);

// The POSIX calls in use (see KSWin32PosixCalls.h).
int CallOpen(const char* path, int flags, mode_t mode);
ssize_t CallRead(int fd, void* buffer, size_t size);
ssize_t CallWrite(int fd, const void* data, size_t size);
int CallSetStatusFlags(int fd, int flags);
time_t CallTime(time_t* out);
ssize_t CallGetRandom(void* buffer, size_t size, unsigned int flags);

} // namespace ks_win32
