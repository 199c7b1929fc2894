#include "VolumeRecord.h"

#include <windows.h>

#include <string>

namespace {

HANDLE OpenChildVolume(char letter)
{
    const std::wstring name = std::wstring(L"\\\\.\\") + static_cast<wchar_t>(letter) + L":";
    return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

bool ReadVolumeRecord(char letter, uint8_t (&record)[ZEDISK_PLUGIN_RECORD_SIZE])
{
    HANDLE volume = OpenChildVolume(letter);
    if (volume == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    const bool answered = DeviceIoControl(volume, IOCTL_ZEDISK_GET_RECORD, nullptr, 0, record, sizeof record,
                                          &returned, nullptr) &&
                          returned == sizeof record;
    CloseHandle(volume);
    return answered;
}

void SendVolumeLetter(char letter, uint8_t (&record)[ZEDISK_PLUGIN_RECORD_SIZE])
{
    HANDLE volume = OpenChildVolume(letter);
    if (volume == INVALID_HANDLE_VALUE)
        return;
    record[ZEDISK_RECORD_LETTER] = static_cast<uint8_t>(letter - 'A');
    DWORD returned = 0;
    DeviceIoControl(volume, IOCTL_ZEDISK_SET_LETTER, record, sizeof record, nullptr, 0, &returned, nullptr);
    CloseHandle(volume);
}
