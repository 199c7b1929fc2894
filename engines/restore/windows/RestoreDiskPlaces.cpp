// Where the machine's disks end and where a file lies among them, on Windows: the
// disk's length through IOCTL_DISK_GET_LENGTH_INFO, and the extents of the volume
// holding the file through IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS.
#include <windows.h>
#include <winioctl.h>

#include <cstdio>
#include <vector>

#include "CDiskMapRestoreDisks.h"

uint64_t CDiskMapRestoreDisks::DiskSectors(unsigned disk)
{
    char name[64];
    std::snprintf(name, sizeof name, "\\\\.\\PhysicalDrive%u", disk);
    HANDLE device = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return 0;
    GET_LENGTH_INFORMATION length{};
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(device, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &returned,
                                    nullptr);
    CloseHandle(device);
    return ok ? static_cast<uint64_t>(length.Length.QuadPart) / 512 : 0;
}

RestoreFilePlace CDiskMapRestoreDisks::PlaceOfFile(const std::wstring& path)
{
    RestoreFilePlace place;
    wchar_t root[MAX_PATH] = {};
    if (!GetVolumePathNameW(path.c_str(), root, MAX_PATH) || root[0] == L'\0')
        return place;
    // "C:\" names the volume "\\.\C:"; a mounted folder is not followed further.
    const wchar_t volume[] = {L'\\', L'\\', L'.', L'\\', root[0], L':', 0};
    HANDLE device = CreateFileW(volume, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return place;
    std::vector<unsigned char> buffer(sizeof(VOLUME_DISK_EXTENTS) + 8 * sizeof(DISK_EXTENT));
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(device, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, buffer.data(),
                                    static_cast<DWORD>(buffer.size()), &returned, nullptr);
    CloseHandle(device);
    const auto* extents = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(buffer.data());
    if (!ok || extents->NumberOfDiskExtents == 0)
        return place;
    place.onDisk = true;
    place.disk = extents->Extents[0].DiskNumber;
    place.start = static_cast<uint64_t>(extents->Extents[0].StartingOffset.QuadPart) / 512;
    place.sectors = static_cast<uint64_t>(extents->Extents[0].ExtentLength.QuadPart) / 512;
    return place;
}
