// Opening, closing, deleting files and reading their attributes.
#include "MultiBytePath.h"
#include "Win32Layer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace ks_win32 {

int HandleToDescriptor(HANDLE handle)
{
    const intptr_t value = reinterpret_cast<intptr_t>(handle);
    return value >= 0 && value <= INT_MAX ? static_cast<int>(value) : -1;
}

HANDLE DescriptorToHandle(int fd) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd)); }

} // namespace ks_win32

using namespace ks_win32;

namespace {

int OpenFlagsFor(DWORD access, DWORD disposition)
{
    int flags = O_CLOEXEC;
    const bool reads = (access & GENERIC_READ) != 0;
    const bool writes = (access & GENERIC_WRITE) != 0;
    flags |= writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY;
    switch (disposition) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        flags |= O_TRUNC;
        break;
    default: // OPEN_EXISTING
        break;
    }
    return flags;
}

// Direct I/O where the file system allows it; where it does not, the descriptor
// stays buffered and the file is still usable. Turned on after the open so that a
// refusal never leaves a half-made new file behind (open creates the file before it
// checks O_DIRECT, and a retry of CREATE_NEW would then fail as "already exists").
void TryDirectIo(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        CallSetStatusFlags(fd, flags | O_DIRECT);
}

} // namespace

extern "C" HANDLE WINAPI CreateFileW(LPCWSTR path, DWORD access, DWORD /*share*/, LPSECURITY_ATTRIBUTES /*security*/,
                                     DWORD disposition, DWORD flagsAndAttributes, HANDLE /*templateFile*/)
{
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return INVALID_HANDLE_VALUE;
    }
    // Truncating needs write access, as on Windows; a read-only open must never
    // empty a file.
    if (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE)) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return INVALID_HANDLE_VALUE;
    }
    MultiBytePath nativePath(path);
    if (!nativePath.Ok())
        return INVALID_HANDLE_VALUE;

    int flags = OpenFlagsFor(access, disposition);
    // Write-through asks only that writes reach the disk before they return; that is
    // synchronous data writes, not direct I/O with its alignment rules.
    if (flagsAndAttributes & FILE_FLAG_WRITE_THROUGH)
        flags |= O_DSYNC;
    int fd;
    do {
        fd = CallOpen(nativePath.CStr(), flags, 0600);
    } while (fd == -1 && errno == EINTR);
    if (fd == -1) {
        FailWithErrno(errno);
        return INVALID_HANDLE_VALUE;
    }
    if (flagsAndAttributes & FILE_FLAG_NO_BUFFERING)
        TryDirectIo(fd);
    return DescriptorToHandle(fd);
}

extern "C" BOOL WINAPI CloseHandle(HANDLE handle)
{
    const int fd = HandleToDescriptor(handle);
    if (fd == -1) {
        FailWithErrno(EBADF);
        return FALSE;
    }
    // On Linux the descriptor is released even when close reports EINTR, so a retry
    // could close someone else's file.
    if (::close(fd) == -1 && errno != EINTR) {
        FailWithErrno(errno);
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI DeleteFileW(LPCWSTR path)
{
    MultiBytePath nativePath(path);
    if (!nativePath.Ok())
        return FALSE;
    if (::unlink(nativePath.CStr()) == -1) {
        FailWithErrno(errno);
        return FALSE;
    }
    return TRUE;
}

// The POSIX mode of the file, or INVALID_FILE_ATTRIBUTES with the last error set
// when it does not exist or cannot be reached.
extern "C" DWORD WINAPI GetFileAttributesW(LPCWSTR path)
{
    MultiBytePath nativePath(path);
    if (!nativePath.Ok())
        return INVALID_FILE_ATTRIBUTES;
    struct stat status;
    if (::stat(nativePath.CStr(), &status) == -1) {
        FailWithErrno(errno);
        return INVALID_FILE_ATTRIBUTES;
    }
    return static_cast<DWORD>(status.st_mode);
}

// POSIX has no counterpart to the Windows attribute bits; the call succeeds without
// changing anything.
extern "C" BOOL WINAPI SetFileAttributesW(LPCWSTR /*path*/, DWORD /*attributes*/) { return TRUE; }
