#include "CDiskMapRestoreDisks.h"

#include <windows.h>
#include <winioctl.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <unistd.h>

#include "CDiskMap.h"
#include "CRawDisk.h"
#include "KSMasterBootRecord.h"
#include "KSPlatformControl.h"
#include "LittleEndian.h"

namespace {
constexpr int kMaxLogical = 128;

bool IsExtended(uint8_t type) { return type == 0x05 || type == 0x0F || type == 0x85; }

uint64_t ReadSysNumber(const std::string& path)
{
    std::ifstream in(path);
    uint64_t value = 0;
    in >> value;
    return value;
}

std::string BaseName(const std::string& path)
{
    const size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}
}

bool CDiskMapRestoreDisks::ListPartitions(unsigned disk, std::vector<RestorePartition>& out)
{
    out.clear();
    CRawDisk raw;
    char name[64];
    std::snprintf(name, sizeof name, "\\\\.\\PhysicalDrive%u", disk);
    unsigned char sector[512];
    if (!raw.Open(name) || !raw.Read(sector, 0, 1) || LoadLE16(sector + 510) != 0xAA55)
        return false;
    uint64_t extendedStart = 0;
    for (unsigned i = 0; i < 4; ++i) {
        const unsigned char* entry = sector + KS_MBR_TABLE_OFFSET + KS_MBR_ENTRY_BYTES * i;
        const uint8_t type = entry[4];
        const uint64_t start = LoadLE32(entry + 8), count = LoadLE32(entry + 12);
        if (type == 0 || count == 0)
            continue;
        if (IsExtended(type))
            extendedStart = start;
        else
            out.push_back({start, count, start});
    }
    // Logical partitions: each link of the chain holds one and the next link.
    uint64_t link = extendedStart;
    for (int n = 0; link != 0 && n < kMaxLogical; ++n) {
        if (!raw.Read(sector, link, 1) || LoadLE16(sector + 510) != 0xAA55)
            break;
        const unsigned char* first = sector + KS_MBR_TABLE_OFFSET;
        const unsigned char* next = first + 16;
        if (first[4] != 0 && LoadLE32(first + 12) != 0) {
            const uint64_t hidden = LoadLE32(first + 8);
            out.push_back({link + hidden, LoadLE32(first + 12), hidden});
        }
        link = IsExtended(next[4]) && LoadLE32(next + 8) != 0 ? extendedStart + LoadLE32(next + 8) : 0;
    }
    return true;
}

uint64_t CDiskMapRestoreDisks::DiskSectors(unsigned disk)
{
    for (const DiskMapEntry& entry : CDiskMap().Disks())
        if (entry.number == disk)
            return entry.sectors;
    return 0;
}

RestoreFilePlace CDiskMapRestoreDisks::PlaceOfFile(const std::wstring& path)
{
    RestoreFilePlace place;
    struct stat file;
    const std::string host = KSPlatformHostPath(path.c_str());
    if (stat(host.c_str(), &file) != 0)
        return place;
    const std::string node = "/sys/dev/block/" + std::to_string(major(file.st_dev)) + ":" +
                             std::to_string(minor(file.st_dev));
    char target[PATH_MAX] = {};
    const ssize_t n = readlink(node.c_str(), target, sizeof target - 1);
    if (n <= 0)
        return place;
    // ".../block/sda/sda2" for a partition, ".../block/sda" for a whole disk.
    const std::string link(target, static_cast<size_t>(n));
    const std::string self = BaseName(link);
    const std::string parent = BaseName(link.substr(0, link.find_last_of('/')));
    const bool partition = access((node + "/partition").c_str(), F_OK) == 0;
    for (const DiskMapEntry& entry : CDiskMap().Disks()) {
        if (entry.imageFile || BaseName(entry.path) != (partition ? parent : self))
            continue;
        place.onDisk = true;
        place.disk = entry.number;
        if (partition) {
            place.start = ReadSysNumber(node + "/start");
            place.sectors = ReadSysNumber(node + "/size");
        }
    }
    return place;
}

bool CDiskMapRestoreDisks::DiskIsOnline(unsigned disk)
{
    char name[64];
    std::snprintf(name, sizeof name, "\\\\.\\PHYSICALDRIVE%u", disk);
    HANDLE device = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return true;
    DWORD returned = 0;
    const BOOL writable = DeviceIoControl(device, IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &returned, nullptr);
    CloseHandle(device);
    return writable != FALSE;
}
