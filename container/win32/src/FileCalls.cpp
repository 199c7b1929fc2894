// Opening, closing, deleting files and reading their attributes. The Win32 entry
// points that take or give a file handle are in DescriptorHandles.cpp (the
// container's own handles) or in the platform layer's handle table.
#include "MultiBytePath.h"
#include "Win32Layer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

namespace ks_win32 {

int OpenDescriptor(LPCWSTR path, DWORD access, DWORD disposition, DWORD flagsAndAttributes)
{
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return -1;
    }
    // Truncating needs write access, as on Windows; a read-only open must never
    // empty a file.
    if (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE)) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return -1;
    }
    MultiBytePath nativePath(path);
    if (!nativePath.Ok())
        return -1;

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
        return -1;
    }
    if (flagsAndAttributes & FILE_FLAG_NO_BUFFERING)
        TryDirectIo(fd);
    return fd;
}

BOOL CloseDescriptor(int fd)
{
    if (fd < 0) {
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

} // namespace ks_win32

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
