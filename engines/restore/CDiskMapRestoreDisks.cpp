#include "CDiskMapRestoreDisks.h"

#include <windows.h>
#include <winioctl.h>

#include <cstdio>

#include "CRawDisk.h"
#include "KSMasterBootRecord.h"
#include "LittleEndian.h"

namespace {
constexpr int kMaxLogical = 128;

bool IsExtended(uint8_t type) { return type == 0x05 || type == 0x0F || type == 0x85; }
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
