#include "SectorFixes.h"

#include <windows.h>

#include <cstring>
#include <vector>
#include <string>

#include "FixupDisks.h"
#include "LittleEndian.h"

namespace {

bool IsExtendedType(unsigned char type) { return type == 0x05 || type == 0x0F || type == 0x85; }

class RawDisk {
public:
    explicit RawDisk(unsigned disk)
    {
        const std::wstring name = L"\\\\.\\PhysicalDrive" + std::to_wstring(disk);
        handle_ = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~RawDisk()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    bool Transfer(uint64_t sector, unsigned char* bytes, bool write)
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            return false;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(sector * 512);
        DWORD done = 0;
        if (!SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN))
            return false;
        return (write ? WriteFile(handle_, bytes, 512, &done, nullptr) : ReadFile(handle_, bytes, 512, &done, nullptr)) &&
               done == 512;
    }

private:
    HANDLE handle_;
};

// Finds the table record (its sector and slot) whose entry starts at start.
bool FindEntry(RawDisk& disk, uint64_t start, uint64_t& recordSector, int& slot, unsigned char record[512])
{
    if (!disk.Transfer(0, record, false) || record[510] != 0x55 || record[511] != 0xAA)
        return false;
    uint64_t extended = 0;
    for (int i = 0; i < 4; ++i) {
        const unsigned char* entry = record + 446 + 16 * i;
        if (IsExtendedType(entry[4]) && extended == 0)
            extended = LoadLE32(entry + 8);
        else if (entry[4] != 0 && LoadLE32(entry + 8) == start) {
            recordSector = 0;
            slot = i;
            return true;
        }
    }
    uint64_t next = extended;
    for (int guard = 0; next != 0 && guard < 128; ++guard) {
        if (!disk.Transfer(next, record, false) || record[510] != 0x55 || record[511] != 0xAA)
            return false;
        if (record[446 + 4] != 0 && next + LoadLE32(record + 446 + 8) == start) {
            recordSector = next;
            slot = 0;
            return true;
        }
        const unsigned char* link = record + 446 + 16;
        next = IsExtendedType(link[4]) && LoadLE32(link + 8) != 0 ? extended + LoadLE32(link + 8) : 0;
    }
    return false;
}

} // namespace

namespace {

// The places of the boot sector's copies that the file system keeps (NTFS: after the
// volume's last sector, and the partition's last sector, where a volume grown into a
// partition that is no whole number of clusters keeps it; FAT32: at the sector its boot
// sector names); none when there is none.
std::vector<uint64_t> BackupBootSectors(const unsigned char sector[512], uint64_t partitionSectors)
{
    std::vector<uint64_t> places;
    if (std::memcmp(sector + 3, "NTFS    ", 8) == 0) {
        const uint64_t total = LoadLE64(sector + 40);
        if (total > 0 && total < partitionSectors)
            places.push_back(total);
        if (partitionSectors > 1 && partitionSectors - 1 != total)
            places.push_back(partitionSectors - 1);
    } else if (std::memcmp(sector + 82, "FAT32   ", 8) == 0) {
        const uint16_t backup = LoadLE16(sector + 50);
        if (backup > 0 && backup < LoadLE16(sector + 14))
            places.push_back(backup);
    }
    return places;
}

void PatchGeometry(unsigned char sector[512], uint32_t heads, uint32_t sectorsPerTrack, uint32_t hidden)
{
    StoreLE16(sector + 24, static_cast<uint16_t>(sectorsPerTrack));
    StoreLE16(sector + 26, static_cast<uint16_t>(heads));
    StoreLE32(sector + 28, hidden);
}

} // namespace

void FixBootSectorGeometry(IFixupDisks& disks, IFixupVolume& volume, const _KS_RESTORE_TARGET& target)
{
    if (target.FileSystem < 1 || target.FileSystem > 4)
        return;
    unsigned char sector[512];
    if (volume.ReadBootSector(sector) != 1)
        return;
    uint32_t heads = 0, sectorsPerTrack = 0;
    if (!disks.Geometry(target.DiskNumber, heads, sectorsPerTrack))
        return;
    const uint32_t hidden = static_cast<uint32_t>(volume.Primary() ? volume.Start() : volume.Hidden());
    PatchGeometry(sector, heads, sectorsPerTrack, hidden);
    if (volume.WriteBootSector(sector) != 1)
        return;
    // The file system's copy of the boot sector gets the same fields, or its checkers
    // find the two apart.
    RawDisk raw(target.DiskNumber);
    for (const uint64_t backup : BackupBootSectors(sector, volume.Sectors())) {
        unsigned char copy[512];
        if (!raw.Transfer(volume.Start() + backup, copy, false) || copy[510] != 0x55 || copy[511] != 0xAA ||
            std::memcmp(copy + 3, sector + 3, 8) != 0)
            continue;
        PatchGeometry(copy, heads, sectorsPerTrack, hidden);
        raw.Transfer(volume.Start() + backup, copy, true);
    }
}

bool FixTableEntryHiddenSectors(unsigned disk, uint64_t entryStart, uint64_t entrySectors, uint64_t entryHidden,
                                const _KS_RESTORE_TARGET& target, bool allowed)
{
    if (target.HiddenSectors == 0 || entryHidden == target.HiddenSectors || !allowed)
        return false;
    // The entry keeps its end only when both differences agree; otherwise moving its
    // start would move the partition, so it is left as it is.
    if (target.SectorCount - entrySectors != entryHidden - target.HiddenSectors ||
        entryHidden + entrySectors <= target.HiddenSectors)
        return false;
    RawDisk raw(disk);
    uint64_t recordSector = 0;
    int slot = 0;
    unsigned char record[512];
    if (!FindEntry(raw, entryStart, recordSector, slot, record))
        return false;
    // The record's start is relative to it: the hidden sectors themselves.
    unsigned char* entry = record + 446 + 16 * slot;
    const uint64_t newCount = entrySectors + entryHidden - target.HiddenSectors;
    if (newCount > 0xFFFFFFFFu || target.HiddenSectors > 0xFFFFFFFFu)
        return false;
    StoreLE32(entry + 8, static_cast<uint32_t>(target.HiddenSectors));
    StoreLE32(entry + 12, static_cast<uint32_t>(newCount));
    return raw.Transfer(recordSector, record, true);
}
