// The raw disk on Windows: disk n is "\\.\PhysicalDriveN", opened with CreateFileW.
// Its handle is kept as a C run-time descriptor (_open_osfhandle), so one _close
// releases it and the class keeps one kind of handle on both systems.
#include "../RawDiskFile.h"

#include <cstdint>
#include <io.h>
#include <string>
#include <windows.h>

namespace {
// ReadFile and WriteFile move at most this much in one call.
constexpr DWORD kMaxChunk = 1u << 30;

HANDLE OpenPhysicalDrive(int diskNumber, DWORD access)
{
    const std::wstring name = L"\\\\.\\PhysicalDrive" + std::to_wstring(diskNumber);
    return CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

bool Seek(HANDLE handle, long long offset)
{
    LARGE_INTEGER at;
    at.QuadPart = offset;
    return SetFilePointerEx(handle, at, nullptr, FILE_BEGIN) != 0;
}

// The disk's size in bytes, from the drive's geometry (a disk has no file size).
bool DiskLength(HANDLE handle, long long& length)
{
    GET_LENGTH_INFORMATION info;
    DWORD returned = 0;
    if (!DeviceIoControl(handle, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &info, sizeof(info), &returned, nullptr))
        return false;
    length = info.Length.QuadPart;
    return true;
}
} // namespace

int OpenRawDisk(int diskNumber)
{
    if (diskNumber < 0)
        return -1;
    HANDLE handle = OpenPhysicalDrive(diskNumber, GENERIC_READ | GENERIC_WRITE);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
        handle = OpenPhysicalDrive(diskNumber, GENERIC_READ);
    if (handle == INVALID_HANDLE_VALUE)
        return -1;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
    if (fd < 0)
        CloseHandle(handle);
    return fd;
}

bool CloseRawDisk(int fd) { return _close(fd) == 0; }

bool ReadRawDisk(int fd, unsigned char* buffer, long long offset, long long length)
{
    const HANDLE handle = HandleOf(fd);
    if (!Seek(handle, offset))
        return false;
    for (long long done = 0; done < length;) {
        const DWORD chunk = length - done > kMaxChunk ? kMaxChunk : static_cast<DWORD>(length - done);
        DWORD got = 0;
        if (!ReadFile(handle, buffer + done, chunk, &got, nullptr) || got == 0)
            return false; // an error, or the end of the disk
        done += got;
    }
    return true;
}

bool WriteRawDisk(int fd, const unsigned char* buffer, long long offset, long long length)
{
    const HANDLE handle = HandleOf(fd);
    long long end = 0;
    if (!DiskLength(handle, end) || length > end || offset > end - length || !Seek(handle, offset))
        return false;
    for (long long done = 0; done < length;) {
        const DWORD chunk = length - done > kMaxChunk ? kMaxChunk : static_cast<DWORD>(length - done);
        DWORD put = 0;
        if (!WriteFile(handle, buffer + done, chunk, &put, nullptr) || put == 0)
            return false;
        done += put;
    }
    return true;
}
