#include "VolumeUtils.h"

#include <winioctl.h>

#include <string>

namespace {

constexpr int kTries = 11;
constexpr DWORD kPause = 100;

HANDLE OpenVolume(char letter)
{
    const std::wstring name = std::wstring(L"\\\\.\\") + static_cast<wchar_t>(letter) + L":";
    return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Sends the control until it succeeds, up to kTries times, pausing after each try.
bool Retry(HANDLE volume, DWORD code)
{
    for (int attempt = 0; attempt < kTries; ++attempt) {
        DWORD returned = 0;
        if (DeviceIoControl(volume, code, nullptr, 0, nullptr, 0, &returned, nullptr))
            return true;
        Sleep(kPause);
    }
    return false;
}

} // namespace

HANDLE LockVolume(char letter)
{
    HANDLE volume = OpenVolume(letter);
    if (volume == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;
    if (Retry(volume, FSCTL_LOCK_VOLUME))
        return volume;
    CloseHandle(volume);
    return INVALID_HANDLE_VALUE;
}

void UnlockAndCloseVolume(HANDLE volume)
{
    if (volume == INVALID_HANDLE_VALUE || volume == nullptr)
        return;
    Retry(volume, FSCTL_UNLOCK_VOLUME);
    CloseHandle(volume);
}

bool DismountVolume(HANDLE volume, char letter)
{
    const bool own = volume == INVALID_HANDLE_VALUE || volume == nullptr;
    if (own)
        volume = OpenVolume(letter);
    if (volume == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    DeviceIoControl(volume, FSCTL_ALLOW_EXTENDED_DASD_IO, nullptr, 0, nullptr, 0, &returned, nullptr);
    FlushFileBuffers(volume);
    const bool dismounted = Retry(volume, FSCTL_DISMOUNT_VOLUME);
    if (own)
        CloseHandle(volume);
    return dismounted;
}

BOOL RemoveDriveLetter(char letter)
{
    const std::wstring root = std::wstring(1, static_cast<wchar_t>(letter)) + L":\\";
    return DeleteVolumeMountPointW(root.c_str());
}
