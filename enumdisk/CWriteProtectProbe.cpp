#include "CWriteProtectProbe.h"

#include <cstdio>
#include <windows.h>
#include <winioctl.h>

bool CWriteProtectProbe::IsWriteProtected(char letter)
{
    char path[260];
    std::snprintf(path, sizeof(path), "\\\\.\\%c:", letter);
    HANDLE volume = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (volume == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    const BOOL writable = DeviceIoControl(volume, IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &returned, nullptr);
    const bool writeProtected = !writable && GetLastError() == ERROR_WRITE_PROTECT;
    CloseHandle(volume);
    return writeProtected;
}
