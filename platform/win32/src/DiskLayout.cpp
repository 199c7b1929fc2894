#include "DiskLayout.h"

#include "ArrivedDisks.h"

#include "CDiskMap.h"
#include "LittleEndian.h"

#include <fcntl.h>
#include <cstring>
#include <unistd.h>

namespace ks_platform {

namespace {

bool ReadFileSector(int fd, uint64_t sector, unsigned char* out)
{
    return ::pread(fd, out, 512, static_cast<off_t>(sector * 512)) == 512;
}

bool IsExtendedType(unsigned char type) { return type == 0x05 || type == 0x0F || type == 0x85; }

struct TableEntry {
    unsigned char type;
    bool active;
    uint32_t first;
    uint32_t count;
};

TableEntry EntryAt(const unsigned char* sector, int slot)
{
    const unsigned char* entry = sector + 446 + 16 * slot;
    return TableEntry{entry[4], entry[0] == 0x80, LoadLE32(entry + 8), LoadLE32(entry + 12)};
}

} // namespace

bool ReadDosVolumes(int fd, std::vector<DosVolume>& volumes, uint32_t* signature)
{
    return ReadDosVolumes([fd](uint64_t sector, unsigned char* out) { return ReadFileSector(fd, sector, out); },
                          volumes, signature);
}

bool ReadDosVolumes(const SectorReader& readSector, std::vector<DosVolume>& volumes, uint32_t* signature)
{
    volumes.clear();
    unsigned char mbr[512];
    if (!readSector(0, mbr) || mbr[510] != 0x55 || mbr[511] != 0xAA)
        return false;
    if (signature)
        *signature = LoadLE32(mbr + 440);
    uint64_t extendedStart = 0;
    for (int slot = 0; slot < 4; ++slot) {
        const TableEntry entry = EntryAt(mbr, slot);
        if (entry.type == 0 || entry.count == 0)
            continue;
        if (IsExtendedType(entry.type)) {
            if (extendedStart == 0)
                extendedStart = entry.first;
            continue;
        }
        volumes.push_back(DosVolume{entry.first, entry.count, entry.first, 0, entry.type, entry.active});
    }
    // The chain of extended boot records; a loop or a broken link ends the walk.
    uint64_t next = extendedStart;
    for (int guard = 0; next != 0 && guard < 128; ++guard) {
        unsigned char ebr[512];
        if (!readSector(next, ebr) || ebr[510] != 0x55 || ebr[511] != 0xAA)
            break;
        const TableEntry logical = EntryAt(ebr, 0);
        if (logical.type != 0 && logical.count != 0)
            volumes.push_back(DosVolume{next + logical.first, logical.count, logical.first, 0, logical.type,
                                        logical.active});
        const TableEntry link = EntryAt(ebr, 1);
        next = IsExtendedType(link.type) && link.first != 0 ? extendedStart + link.first : 0;
    }
    for (size_t i = 0; i < volumes.size(); ++i)
        volumes[i].number = static_cast<unsigned>(i + 1);
    return true;
}

bool ReadDosVolumes(const std::string& path, std::vector<DosVolume>& volumes, uint32_t* signature)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool read = ReadDosVolumes(fd, volumes, signature);
    ::close(fd);
    return read;
}

bool FindMappedVolume(unsigned disk, uint64_t firstSector, MappedVolume& found)
{
    if (std::shared_ptr<ArrivedDisk> arrived = ArrivedDisks::Instance().Find(disk)) {
        for (const DosVolume& volume : arrived->Volumes())
            if (volume.start == firstSector) {
                found = MappedVolume{std::string(), disk, volume};
                return true;
            }
        return false;
    }
    for (const DiskMapEntry& entry : CDiskMap().Disks()) {
        if (entry.number != disk)
            continue;
        std::vector<DosVolume> volumes;
        if (!ReadDosVolumes(entry.path, volumes))
            return false;
        for (const DosVolume& volume : volumes)
            if (volume.start == firstSector) {
                found = MappedVolume{entry.path, disk, volume};
                return true;
            }
        return false;
    }
    return false;
}

DWORD AnswerDriveLayout(const std::vector<DosVolume>& volumes, uint32_t signature, void* out, DWORD outSize,
                        DWORD& returned)
{
    returned = 0;
    const DWORD needed = static_cast<DWORD>(8 + 32 * volumes.size());
    if (!out || outSize < needed)
        return ERROR_INSUFFICIENT_BUFFER;
    auto* bytes = static_cast<unsigned char*>(out);
    std::memset(bytes, 0, needed);
    StoreLE32(bytes, static_cast<uint32_t>(volumes.size()));
    StoreLE32(bytes + 4, signature);
    for (size_t i = 0; i < volumes.size(); ++i) {
        unsigned char* entry = bytes + 8 + 32 * i;
        StoreLE64(entry, volumes[i].start * 512);
        StoreLE64(entry + 8, volumes[i].sectors * 512);
        StoreLE32(entry + 16, static_cast<uint32_t>(volumes[i].hidden));
        StoreLE32(entry + 20, volumes[i].number);
        entry[24] = volumes[i].type;
        entry[25] = volumes[i].active ? 1 : 0;
        entry[26] = 1;
    }
    returned = needed;
    return ERROR_SUCCESS;
}

std::string VolumeDeviceName(unsigned disk, unsigned partitionNumber)
{
    // 128 numbers per disk: more than a DOS table's partitions ever reach.
    return "\\Device\\HarddiskVolume" + std::to_string(disk * 128 + partitionNumber);
}

} // namespace ks_platform
