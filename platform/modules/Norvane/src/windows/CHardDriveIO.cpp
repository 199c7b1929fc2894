// Sector access for the NTFS layer on Windows. Without a loaded device, disk n is
// "\\.\PhysicalDriveN", opened with CreateFileW for reading and writing, or for
// reading alone when writing is refused. Its handle is kept as a C run-time
// descriptor (_open_osfhandle), so one _close releases it.
#include "CHardDriveIO.h"

#include <climits>
#include <cstdint>
#include <io.h>
#include <string>
#include <windows.h>

#include "IDevice.h"

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
}

CHardDriveIO::~CHardDriveIO()
{
    // Only the disk this object opened itself is closed here: a loaded device
    // belongs to someone else and may already be gone.
    if (fd_ >= 0)
        _close(fd_);
}

void CHardDriveIO::LoadSetting(const CHardDriveIOSetting& setting)
{
    CloseDisk();
    setting_ = setting;
}

bool CHardDriveIO::OpenDisk(int diskNumber)
{
    CloseDisk();
    IDevice* device = setting_.GetDevice();
    if (device == nullptr)
        return OpenMappedDisk(diskNumber);
    if (!device->Open())
        return false;
    open_ = true;
    diskNumber_ = diskNumber;
    return true;
}

bool CHardDriveIO::OpenMappedDisk(int diskNumber)
{
    if (diskNumber < 0)
        return false;
    HANDLE handle = OpenPhysicalDrive(diskNumber, GENERIC_READ | GENERIC_WRITE);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
        handle = OpenPhysicalDrive(diskNumber, GENERIC_READ);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
    if (fd < 0) {
        CloseHandle(handle);
        return false;
    }
    fd_ = fd;
    open_ = true;
    diskNumber_ = diskNumber;
    return true;
}

bool CHardDriveIO::CloseDisk()
{
    if (!open_)
        return true;
    open_ = false;
    diskNumber_ = -1;
    if (fd_ >= 0) {
        const bool closed = _close(fd_) == 0;
        fd_ = -1;
        return closed;
    }
    IDevice* device = setting_.GetDevice();
    return device == nullptr || device->Close() != 0;
}

bool CHardDriveIO::ByteRange(long long first, long long count, long long& offset, long long& length)
{
    if (first < 0 || count <= 0 || first > LLONG_MAX / SECTOR_SIZE || count > LLONG_MAX / SECTOR_SIZE)
        return false;
    offset = first * SECTOR_SIZE;
    length = count * SECTOR_SIZE;
    return length <= LLONG_MAX - offset;
}

bool CHardDriveIO::ReadSector(unsigned char* buffer, long long first, long long count)
{
    long long offset = 0, length = 0;
    if (!open_ || buffer == nullptr || !ByteRange(first, count, offset, length))
        return false;
    if (fd_ < 0)
        return setting_.GetDevice()->ReadSector(buffer, first, count) != 0;
    const HANDLE handle = HandleOf(fd_);
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

bool CHardDriveIO::WriteSector(unsigned char* buffer, long long first, long long count)
{
    long long offset = 0, length = 0;
    if (!open_ || buffer == nullptr || !ByteRange(first, count, offset, length))
        return false;
    if (fd_ < 0)
        return setting_.GetDevice()->WriteSector(buffer, first, count) != 0;
    const HANDLE handle = HandleOf(fd_);
    // Sectors past the end of the disk are refused before anything is written.
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
