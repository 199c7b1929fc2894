#include "VolumeUtils.h"

#include <winioctl.h>

#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "LittleEndian.h"

namespace {

// Room for 65 partition entries.
constexpr DWORD kLayoutBytes = 2088;
constexpr size_t kTargetChars = 256;

bool SameText(const wchar_t* a, const wchar_t* b, size_t chars)
{
    for (size_t i = 0; i < chars; ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i]))
            return false;
        if (a[i] == L'\0')
            return true;
    }
    return true;
}

// Every name of the device namespace as one multi-string. A machine can have more
// names than a first buffer holds: the buffer grows while the call answers that it
// is too small. Empty when the list cannot be read.
std::vector<wchar_t> DeviceNames()
{
    std::vector<wchar_t> names(65536);
    for (;;) {
        if (QueryDosDeviceW(nullptr, names.data(), static_cast<DWORD>(names.size())) != 0)
            return names;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || names.size() >= (1u << 24))
            return {};
        names.resize(names.size() * 2);
    }
}

bool PartitionTarget(unsigned disk, uint64_t start, wchar_t* target)
{
    unsigned number = 0;
    return GetPartitionNumber(disk, start, number) && GetPartitionDeviceTarget(disk, number, target, kTargetChars);
}

} // namespace

bool GetPartitionNumber(unsigned disk, uint64_t start, unsigned& number)
{
    const std::wstring name = L"\\\\.\\PhysicalDrive" + std::to_wstring(disk);
    HANDLE drive = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (drive == INVALID_HANDLE_VALUE)
        return false;
    std::vector<unsigned char> layout(kLayoutBytes);
    DWORD returned = 0;
    const BOOL read = DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_LAYOUT, nullptr, 0, layout.data(), kLayoutBytes,
                                      &returned, nullptr);
    CloseHandle(drive);
    if (!read || returned < 8)
        return false;
    // DRIVE_LAYOUT_INFORMATION: count, signature, then 32-byte entries of starting
    // offset, length, hidden sectors, partition number, ...
    const uint32_t count = LoadLE32(layout.data());
    for (uint32_t i = 0; i < count && 8 + 32 * (i + 1) <= returned; ++i) {
        const unsigned char* entry = layout.data() + 8 + 32 * i;
        if (LoadLE64(entry) / 512 == start && LoadLE32(entry + 20) != 0) {
            number = LoadLE32(entry + 20);
            return true;
        }
    }
    return false;
}

bool GetPartitionDeviceTarget(unsigned disk, unsigned partition, wchar_t* out, size_t size)
{
    const std::wstring name = L"Harddisk" + std::to_wstring(disk) + L"Partition" + std::to_wstring(partition);
    return out && size && QueryDosDeviceW(name.c_str(), out, static_cast<DWORD>(size)) != 0;
}

bool GetVolumeOfPartition(wchar_t out[39], unsigned disk, uint64_t start)
{
    wchar_t device[kTargetChars] = {};
    if (!PartitionTarget(disk, start, device))
        return false;
    // Every name of the device namespace; the volume names among them are
    // "Volume{...}" with the braces at the 7th and 44th characters.
    const std::vector<wchar_t> names = DeviceNames();
    if (names.empty())
        return false;
    for (const wchar_t* name = names.data(); *name; name += std::wcslen(name) + 1) {
        if (std::wcsncmp(name, L"Volume", 6) != 0 || std::wcslen(name) < 44 || name[6] != L'{' || name[43] != L'}')
            continue;
        wchar_t target[kTargetChars] = {};
        if (QueryDosDeviceW(name, target, kTargetChars) != 0 && std::wcscmp(target, device) == 0) {
            std::wmemcpy(out, name + 6, 38);
            out[38] = L'\0';
            return true;
        }
    }
    return false;
}

bool GetLetterOfPartition(char& letter, unsigned disk, uint64_t start)
{
    wchar_t device[kTargetChars] = {};
    if (!PartitionTarget(disk, start, device))
        return false;
    for (char candidate = 'A'; candidate <= 'Z'; ++candidate) {
        const wchar_t name[3] = {static_cast<wchar_t>(candidate), L':', L'\0'};
        wchar_t target[kTargetChars] = {};
        if (QueryDosDeviceW(name, target, kTargetChars) != 0 && SameText(target, device, 128)) {
            letter = candidate;
            return true;
        }
    }
    return false;
}
