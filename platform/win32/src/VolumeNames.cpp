// Volume names, mount points and the names of the object namespace, over the disk
// map's partitions and the one drive table.
#include "ArrivedDisks.h"
#include "DiskLayout.h"
#include "DriveTable.h"
#include "KSPlatformVolumes.h"

#include "CDiskMap.h"

#include <cinttypes>
#include <cstdio>
#include <cwctype>
#include <mutex>
#include <optional>
#include <set>
#include <utility>
#include <vector>

using namespace ks_platform;

namespace {

std::mutex mountedLock;
std::set<std::pair<unsigned, uint64_t>>& Mounted()
{
    static auto* mounted = new std::set<std::pair<unsigned, uint64_t>>;
    return *mounted;
}

std::mutex addedDosNamesLock;
std::vector<std::pair<std::wstring, std::wstring>>& AddedDosNames()
{
    static auto* names = new std::vector<std::pair<std::wstring, std::wstring>>;
    return *names;
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// Copies text and its terminator (and a second one for a multi-string) into out.
BOOL CopyOut(const std::wstring& text, LPWSTR out, DWORD size)
{
    if (!out || size < text.size() + 1) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::copy(text.begin(), text.end(), out);
    out[text.size()] = L'\0';
    return TRUE;
}

// "X:\" or "X:" as a mount point: the letter, or 0.
char MountPointLetter(LPCWSTR mountPoint)
{
    if (!mountPoint || !mountPoint[0] || mountPoint[1] != L':')
        return 0;
    if (mountPoint[2] != L'\0' && !(mountPoint[2] == L'\\' && mountPoint[3] == L'\0'))
        return 0;
    return DriveIndexLetter(mountPoint[0]);
}

std::optional<std::wstring> AddedDosNameTarget(const std::wstring& name)
{
    std::lock_guard<std::mutex> guard(addedDosNamesLock);
    for (const auto& entry : AddedDosNames())
        if (entry.first == name)
            return entry.second;
    return std::nullopt;
}

// The device name behind a name of the DOS device namespace; empty when none.
std::string TargetOf(const std::wstring& name)
{
    unsigned disk = 0;
    uint64_t first = 0;
    if (name.size() == 2 && name[1] == L':') {
        std::optional<KSDriveEntry> drive = DriveTable::Instance().Find(DriveIndexLetter(name[0]));
        if (!drive || !drive->hasVolume)
            return {};
        disk = drive->volume.disk;
        first = drive->volume.firstSector;
    } else if (std::optional<std::wstring> added = AddedDosNameTarget(name)) {
        return std::string(added->begin(), added->end());
    } else if (name.compare(0, 6, L"Volume") == 0) {
        if (!KSPlatformParseVolumeGuid(name, disk, first))
            return {};
    } else {
        unsigned partition = 0;
        std::string narrow(name.begin(), name.end());
        char tail = 0;
        if (std::sscanf(narrow.c_str(), "Harddisk%uPartition%u%c", &disk, &partition, &tail) != 2)
            return {};
        if (std::shared_ptr<ArrivedDisk> arrived = ArrivedDisks::Instance().Find(disk))
            return partition >= 1 && partition <= arrived->Volumes().size() ? VolumeDeviceName(disk, partition)
                                                                            : std::string();
        for (const DiskMapEntry& entry : CDiskMap().Disks()) {
            std::vector<DosVolume> volumes;
            if (entry.number == disk && ReadDosVolumes(entry.path, volumes) && partition >= 1 &&
                partition <= volumes.size())
                return VolumeDeviceName(disk, partition);
        }
        return {};
    }
    MappedVolume volume;
    if (!FindMappedVolume(disk, first, volume))
        return {};
    return VolumeDeviceName(disk, volume.volume.number);
}

} // namespace

std::string KSPlatformVolumeGuid(unsigned disk, uint64_t firstSector)
{
    char text[64];
    std::snprintf(text, sizeof text, "{%08x-0000-4b53-%04x-%012" PRIx64 "}", disk,
                  static_cast<unsigned>((firstSector >> 48) & 0xFFFF), static_cast<uint64_t>(firstSector & 0xFFFFFFFFFFFFull));
    return text;
}

bool KSPlatformParseVolumeGuid(const std::wstring& name, unsigned& disk, uint64_t& firstSector)
{
    const size_t brace = name.find(L'{');
    if (brace == std::wstring::npos || name.size() < brace + 38 || name[brace + 37] != L'}')
        return false;
    const std::string guid(name.begin() + static_cast<long>(brace), name.begin() + static_cast<long>(brace) + 38);
    unsigned high = 0;
    uint64_t low = 0;
    int used = 0;
    if (std::sscanf(guid.c_str(), "{%8x-0000-4b53-%4x-%12" SCNx64 "}%n", &disk, &high, &low, &used) != 3 ||
        used != 38)
        return false;
    firstSector = (static_cast<uint64_t>(high) << 48) | low;
    return guid == KSPlatformVolumeGuid(disk, firstSector);
}

void KSPlatformSetVolumeMounted(unsigned disk, uint64_t firstSector, bool mounted)
{
    std::lock_guard<std::mutex> guard(mountedLock);
    if (mounted)
        Mounted().insert({disk, firstSector});
    else
        Mounted().erase({disk, firstSector});
}

bool KSPlatformIsVolumeMounted(unsigned disk, uint64_t firstSector)
{
    std::lock_guard<std::mutex> guard(mountedLock);
    return Mounted().count({disk, firstSector}) != 0;
}

void KSPlatformClearVolumeMounts()
{
    std::lock_guard<std::mutex> guard(mountedLock);
    Mounted().clear();
}

void KSPlatformAddObjectName(const std::wstring& name, const std::wstring& target)
{
    std::lock_guard<std::mutex> guard(addedDosNamesLock);
    AddedDosNames().emplace_back(name, target);
}

void KSPlatformClearObjectNames()
{
    std::lock_guard<std::mutex> guard(addedDosNamesLock);
    AddedDosNames().clear();
}

extern "C" BOOL WINAPI GetVolumeNameForVolumeMountPointW(LPCWSTR mountPoint, LPWSTR volumeName, DWORD size)
{
    const char letter = MountPointLetter(mountPoint);
    std::optional<KSDriveEntry> drive = letter ? DriveTable::Instance().Find(letter) : std::nullopt;
    if (!drive || !drive->hasVolume) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return CopyOut(L"\\\\?\\Volume" + Widen(KSPlatformVolumeGuid(drive->volume.disk, drive->volume.firstSector)) +
                       L"\\",
                   volumeName, size);
}

extern "C" BOOL WINAPI SetVolumeMountPointW(LPCWSTR mountPoint, LPCWSTR volumeName)
{
    const char letter = MountPointLetter(mountPoint);
    unsigned disk = 0;
    uint64_t first = 0;
    if (!letter || !volumeName || !KSPlatformParseVolumeGuid(volumeName, disk, first)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    MappedVolume volume;
    if (!FindMappedVolume(disk, first, volume)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (DriveTable::Instance().Find(letter)) {
        SetLastError(ERROR_DIR_NOT_EMPTY);
        return FALSE;
    }
    // A volume has one letter at a time.
    if (KSPlatformDriveLetterOf(disk, first) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    KSDriveEntry entry;
    entry.letter = letter;
    entry.hasVolume = true;
    entry.volume.disk = disk;
    entry.volume.firstSector = first;
    entry.volume.sectors = volume.volume.sectors;
    entry.totalBytes = volume.volume.sectors * 512;
    DriveTable::Instance().Add(entry);
    return TRUE;
}

extern "C" BOOL WINAPI DeleteVolumeMountPointW(LPCWSTR mountPoint)
{
    const char letter = MountPointLetter(mountPoint);
    if (!letter || !DriveTable::Instance().Remove(letter)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

// deviceName null lists the names: the letters with volumes, then each partition's
// "Volume{...}" and "HarddiskNPartitionM", then the names a test added.
extern "C" DWORD WINAPI QueryDosDeviceW(LPCWSTR deviceName, LPWSTR targetPath, DWORD size)
{
    std::wstring list;
    if (deviceName) {
        const std::string target = TargetOf(deviceName);
        if (target.empty()) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return 0;
        }
        list = Widen(target) + L'\0';
    } else {
        DriveTable::Instance().ForEach([&](const KSDriveEntry& drive) {
            if (drive.hasVolume)
                list += std::wstring{static_cast<wchar_t>(drive.letter), L':', L'\0'};
        });
        const auto listVolumes = [&list](unsigned disk, const std::vector<DosVolume>& volumes) {
            for (const DosVolume& volume : volumes) {
                list += L"Volume" + Widen(KSPlatformVolumeGuid(disk, volume.start)) + L'\0';
                list += L"Harddisk" + std::to_wstring(disk) + L"Partition" + std::to_wstring(volume.number) + L'\0';
            }
        };
        for (const DiskMapEntry& entry : CDiskMap().Disks()) {
            std::vector<DosVolume> volumes;
            if (!ArrivedDisks::Instance().Find(entry.number) && ReadDosVolumes(entry.path, volumes))
                listVolumes(entry.number, volumes);
        }
        for (const std::shared_ptr<ArrivedDisk>& arrived : ArrivedDisks::Instance().All())
            listVolumes(arrived->Number(), arrived->Volumes());
        std::lock_guard<std::mutex> guard(addedDosNamesLock);
        for (const auto& entry : AddedDosNames())
            list += entry.first + L'\0';
    }
    list += L'\0';
    if (!targetPath || size < list.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(list.begin(), list.end(), targetPath);
    return static_cast<DWORD>(list.size());
}
