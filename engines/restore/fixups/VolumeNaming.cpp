#include "VolumeNaming.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "FixupDisks.h"
#include "FixupKinds.h"
#include "KSResult.h"
#include "LittleEndian.h"
#include "RegistryAccess.h"
#include "VolumeUtils.h"

using namespace fixup_kinds;

namespace {

constexpr int kMountPasses = 60;
constexpr int kHintFromPass = 47;
constexpr DWORD kMountPause = 800;
constexpr DWORD kQueryMountPoints = 0x6D0008;
constexpr DWORD kMountPointRecordBytes = 1024;

bool IsHiddenType(unsigned type)
{
    switch (type) {
    case 0x11: case 0x14: case 0x16: case 0x17: case 0x1B: case 0x1C: case 0x1E:
        return true;
    default:
        return false;
    }
}

bool NeedsNaming(IFixupVolume& volume)
{
    const unsigned fileSystem = volume.FileSystem();
    if (fileSystem == 8 || fileSystem == 9 || fileSystem == 10)
        return false;
    if (fileSystem == 7) {
        switch (volume.TypeId()) {
        case 0x01: case 0x04: case 0x05: case 0x06: case 0x07: case 0x0B: case 0x0C: case 0x0E:
            return true;
        default:
            return false;
        }
    }
    return true;
}

char Upper(uint8_t value) { return static_cast<char>(value >= 'a' && value <= 'z' ? value - 'a' + 'A' : value); }

std::string PartitionDeviceName(unsigned disk, uint64_t start)
{
    unsigned number = 0;
    if (!GetPartitionNumber(disk, start, number))
        return {};
    char name[64];
    std::snprintf(name, sizeof name, "\\Device\\Harddisk%u\\Partition%u", disk, number);
    return name;
}

// "\OutLog.txt" in the Windows folder, made afresh with the partition's NT name.
void WriteOutLog(const std::string& deviceName)
{
    char folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const std::string path = std::string(folder) + "\\OutLog.txt";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, deviceName.data(), static_cast<DWORD>(deviceName.size()), &written, nullptr);
    CloseHandle(file);
}

bool AssignLetter(char letter, unsigned disk, uint64_t start)
{
    wchar_t volumeName[39] = {};
    if (!GetVolumeOfPartition(volumeName, disk, start))
        return false;
    const std::wstring root = std::wstring(1, static_cast<wchar_t>(letter)) + L":\\";
    const std::wstring name = std::wstring(L"\\\\?\\Volume") + volumeName + L"\\";
    return SetVolumeMountPointW(root.c_str(), name.c_str()) != FALSE;
}

// The highest letter no drive has, from Z down; 0 when all are taken.
char HighestFreeLetter()
{
    const DWORD used = GetLogicalDrives();
    for (int i = 25; i >= 2; --i)
        if ((used & (DWORD{1} << i)) == 0)
            return static_cast<char>('A' + i);
    return 0;
}

// The volume's device name as the mount manager gives it for the partition's NT name.
std::wstring MountManagerDeviceName(const std::string& partitionName)
{
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
    if (manager == INVALID_HANDLE_VALUE)
        return {};
    // MOUNTMGR_MOUNT_POINT with only the device name, which follows at offset 24.
    unsigned char request[kMountPointRecordBytes] = {};
    unsigned char answer[kMountPointRecordBytes] = {};
    const size_t nameBytes = partitionName.size() * 2;
    StoreLE32(request + 16, 24);
    StoreLE16(request + 20, static_cast<uint16_t>(nameBytes));
    for (size_t i = 0; i < partitionName.size() && 24 + 2 * i + 1 < sizeof request; ++i)
        StoreLE16(request + 24 + 2 * i, static_cast<unsigned char>(partitionName[i]));
    DWORD returned = 0;
    const BOOL asked = DeviceIoControl(manager, kQueryMountPoints, request, kMountPointRecordBytes, answer,
                                       kMountPointRecordBytes, &returned, nullptr);
    CloseHandle(manager);
    if (!asked || LoadLE32(answer + 4) == 0)
        return {};
    // MOUNTMGR_MOUNT_POINTS: size, count, then the first mount point's offsets.
    const uint32_t offset = LoadLE32(answer + 8 + 16);
    const uint16_t length = LoadLE16(answer + 8 + 20);
    if (uint64_t{offset} + length > sizeof answer)
        return {};
    std::wstring device;
    for (size_t i = 0; i + 1 < length; i += 2)
        device += static_cast<wchar_t>(LoadLE16(answer + offset + i));
    return device;
}

void SetSystemPartition(const std::string& partitionName)
{
    const std::wstring device = MountManagerDeviceName(partitionName);
    if (device.empty())
        return;
    std::string narrow(device.begin(), device.end());
    WriteLiveValue("System\\Setup", "SystemPartition", narrow.c_str(), static_cast<DWORD>(narrow.size() + 1), REG_SZ);
}

} // namespace

bool IsLetter(uint8_t value) { return (value >= 'A' && value <= 'Z') || (value >= 'a' && value <= 'z'); }

unsigned long MountAndNameVolume(IFixupVolume& volume, const _KS_RESTORE_TARGET& target)
{
    if (!NeedsNaming(volume))
        return 0;
    const unsigned disk = target.DiskNumber;
    const uint64_t start = volume.Start();
    if (volume.Mount() != 0)
        return FixupFailure(kNoObject);
    const std::string partitionName = PartitionDeviceName(disk, start);
    WriteOutLog(partitionName);

    const bool hidden = IsHiddenType(volume.TypeId());
    bool mounted = false;
    for (int pass = 1; pass <= kMountPasses && !mounted; ++pass) {
        if (pass >= kHintFromPass)
            volume.IsMounted('a');
        mounted = volume.IsMounted(0) || hidden;
        if (!mounted)
            Sleep(kMountPause);
    }
    if (!mounted) {
        volume.Unmount();
        return FixupFailure(kMountTimeOut);
    }

    if (!hidden) {
        const char wanted = IsLetter(target.DriveLetter) ? Upper(target.DriveLetter) : 0;
        char current = 0;
        const bool lettered = GetLetterOfPartition(current, disk, start);
        const bool wantedTaken = wanted != 0 && (GetLogicalDrives() & (DWORD{1} << (wanted - 'A'))) != 0;
        if (!lettered && wanted != 0 && wantedTaken) {
            // The wanted letter belongs to another drive: a free one serves for the
            // mount and is dropped again.
            const char spare = HighestFreeLetter();
            if (spare != 0 && AssignLetter(spare, disk, start))
                RemoveDriveLetter(spare);
        } else if (wanted != 0 && (!lettered || current != wanted)) {
            if (lettered && !RemoveDriveLetter(current))
                return FixupFailure(kLetterNotRemoved);
            wchar_t name[39] = {};
            if (!GetVolumeOfPartition(name, disk, start))
                return FixupFailure(kNoObject);
            if (!AssignLetter(wanted, disk, start))
                return FixupFailure(kLetterNotAssigned);
        }
    }
    if (volume.IsSystemPartition() && !partitionName.empty())
        SetSystemPartition(partitionName);
    return 0;
}

std::string FixupVolumePath(IFixupVolume& volume, const _KS_RESTORE_TARGET& target, bool trailingBackslash)
{
    if (IsLetter(target.DriveLetter))
        return std::string(1, Upper(target.DriveLetter)) + ":";
    std::string mountName = volume.MountName();
    if (!mountName.empty()) {
        while (!trailingBackslash && !mountName.empty() && mountName.back() == '\\')
            mountName.pop_back();
        return mountName;
    }
    wchar_t name[39] = {};
    if (!GetVolumeOfPartition(name, target.DiskNumber, volume.Start()))
        return {};
    std::string path = "\\\\?\\Volume" + std::string(name, name + 38);
    if (trailingBackslash)
        path += "\\";
    return path;
}
