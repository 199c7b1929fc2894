#include "BootRecordWalk.h"

#include "LittleEndian.h"

namespace {
bool IsExtended(uint8_t type) { return type == 0x05 || type == 0x0F || type == 0x85; }
constexpr unsigned kMaxLogicals = 128; // a looping chain ends here
}

bool WalkBootRecords(int fd, std::vector<uint64_t>& starts)
{
    unsigned char mbr[512];
    if (!ReadDiskSector(fd, 0, mbr) || mbr[510] != 0x55 || mbr[511] != 0xAA)
        return false;
    uint64_t extended = 0;
    for (int i = 0; i < 4; ++i) {
        const unsigned char* e = mbr + 446 + 16 * i;
        if (e[4] == 0)
            continue;
        if (IsExtended(e[4])) {
            if (extended == 0)
                extended = LoadLE32(e + 8);
            continue;
        }
        starts.push_back(LoadLE32(e + 8));
    }
    uint64_t ebr = extended;
    for (unsigned n = 0; ebr != 0 && n < kMaxLogicals; ++n) {
        unsigned char sector[512];
        if (!ReadDiskSector(fd, ebr, sector) || sector[510] != 0x55 || sector[511] != 0xAA)
            break;
        const unsigned char* logical = sector + 446;
        const unsigned char* next = sector + 462;
        if (logical[4] != 0)
            starts.push_back(ebr + LoadLE32(logical + 8));
        ebr = IsExtended(next[4]) && LoadLE32(next + 8) != 0 ? extended + LoadLE32(next + 8) : 0;
    }
    return true;
}
