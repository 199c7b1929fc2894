// Reading, writing, seeking and sizing open files by their descriptors, and the
// positioned reads and writes over the Win32 entry points.
#include "KSFileExt.h"
#include "Win32Layer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

using namespace ks_win32;

namespace {

// Reads until size bytes arrived, the end of the file or an error; interrupted and
// partial reads are continued, as one Win32 read returns everything available.
BOOL ReadAll(int fd, unsigned char* buffer, DWORD size, LPDWORD read)
{
    DWORD done = 0;
    BOOL ok = TRUE;
    while (done < size) {
        const ssize_t n = CallRead(fd, buffer + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            FailWithErrno(errno);
            ok = FALSE;
            break;
        }
        if (n == 0)
            break;
        done += static_cast<DWORD>(n);
    }
    if (read)
        *read = done;
    return ok;
}

// Writes until everything is written or a call fails. A single write may stop
// short at a full disk and only the next one reports ENOSPC; looping lets the full
// disk surface as ERROR_DISK_FULL instead of hiding behind a short count. A write
// that makes no progress without an error ends the loop and shows as a short count.
BOOL WriteAll(int fd, const unsigned char* data, DWORD size, LPDWORD written)
{
    DWORD done = 0;
    BOOL ok = TRUE;
    while (done < size) {
        const ssize_t n = CallWrite(fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            FailWithErrno(errno);
            ok = FALSE;
            break;
        }
        if (n == 0)
            break;
        done += static_cast<DWORD>(n);
    }
    if (written)
        *written = done;
    return ok;
}

} // namespace

namespace ks_win32 {

BOOL ReadDescriptor(int fd, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    if (read)
        *read = 0;
    if (overlapped) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return FALSE;
    }
    if (fd < 0) {
        FailWithErrno(EBADF);
        return FALSE;
    }
    if (size == 0)
        return TRUE;
    if (!buffer) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return FALSE;
    }
    return ReadAll(fd, static_cast<unsigned char*>(buffer), size, read);
}

BOOL WriteDescriptor(int fd, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (written)
        *written = 0;
    if (overlapped) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return FALSE;
    }
    if (fd < 0) {
        FailWithErrno(EBADF);
        return FALSE;
    }
    if (size == 0)
        return TRUE;
    if (!data) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return FALSE;
    }
    return WriteAll(fd, static_cast<const unsigned char*>(data), size, written);
}

BOOL SeekDescriptor(int fd, LONGLONG distance, DWORD method, PLARGE_INTEGER newPosition)
{
    int whence;
    switch (method) {
    case FILE_BEGIN:
        whence = SEEK_SET;
        break;
    case FILE_CURRENT:
        whence = SEEK_CUR;
        break;
    case FILE_END:
        whence = SEEK_END;
        break;
    default:
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return FALSE;
    }
    if (fd < 0) {
        FailWithErrno(EBADF);
        return FALSE;
    }
    const off_t position = ::lseek(fd, static_cast<off_t>(distance), whence);
    if (position == -1) {
        FailWithErrno(errno);
        return FALSE;
    }
    if (newPosition)
        newPosition->QuadPart = static_cast<LONGLONG>(position);
    return TRUE;
}

BOOL TruncateDescriptor(int fd)
{
    if (fd < 0) {
        FailWithErrno(EBADF);
        return FALSE;
    }
    const off_t position = ::lseek(fd, 0, SEEK_CUR);
    if (position == -1 || ::ftruncate(fd, position) == -1) {
        FailWithErrno(errno);
        return FALSE;
    }
    return TRUE;
}

BOOL DescriptorSize(int fd, PLARGE_INTEGER size)
{
    if (!size) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return FALSE;
    }
    if (fd < 0) {
        FailWithErrno(EBADF);
        return FALSE;
    }
    struct stat status;
    if (::fstat(fd, &status) == -1) {
        FailWithErrno(errno);
        return FALSE;
    }
    size->QuadPart = static_cast<LONGLONG>(status.st_size);
    return TRUE;
}

} // namespace ks_win32

namespace {

// Moves the file pointer through the handle's own seek, so that the positioned
// calls work for every kind of handle the entry points accept.
bool SeekTo(HANDLE file, DWORD positionLow, DWORD positionHigh)
{
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>((static_cast<uint64_t>(positionHigh) << 32) | positionLow);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != FALSE;
}

} // namespace

BOOL ReadFileExt(HANDLE file, LPVOID buffer, DWORD positionLow, DWORD positionHigh, DWORD size, LPDWORD read,
                 LPOVERLAPPED overlapped)
{
    if (read)
        *read = 0;
    if (size == 0)
        return TRUE;
    if (overlapped) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return FALSE;
    }
    if (!SeekTo(file, positionLow, positionHigh))
        return FALSE;
    return ReadFile(file, buffer, size, read, nullptr);
}

BOOL WriteFileExt(HANDLE file, LPCVOID data, DWORD positionLow, DWORD positionHigh, DWORD size, LPDWORD written,
                  LPOVERLAPPED overlapped)
{
    if (written)
        *written = 0;
    if (size == 0)
        return TRUE;
    if (overlapped) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return FALSE;
    }
    if (!SeekTo(file, positionLow, positionHigh))
        return FALSE;
    return WriteFile(file, data, size, written, nullptr);
}
