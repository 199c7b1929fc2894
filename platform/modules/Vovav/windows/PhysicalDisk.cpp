// Disk access for the boot-record walk on Windows: disk n is "\\.\PhysicalDriveN",
// opened read-only with CreateFileW and kept as a C run-time descriptor
// (_open_osfhandle), so the callers close it with close() as on Linux.
#include <cstdint>
#include <io.h>
#include <string>
#include <windows.h>

#include "BootRecordWalk.h"

bool ReadDiskSector(int fd, uint64_t sector, unsigned char* out)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE || sector > static_cast<uint64_t>(INT64_MAX) / 512)
        return false;
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(sector * 512);
    DWORD got = 0;
    return SetFilePointerEx(handle, offset, nullptr, FILE_BEGIN) && ReadFile(handle, out, 512, &got, nullptr) &&
           got == 512;
}

int OpenMappedDisk(unsigned long disk)
{
    const std::wstring name = L"\\\\.\\PhysicalDrive" + std::to_wstring(disk);
    const HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return -1;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
    if (fd < 0)
        CloseHandle(handle);
    return fd;
}
