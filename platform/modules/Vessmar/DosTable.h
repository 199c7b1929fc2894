// A disk's DOS partition table as the module keeps it between reading and writing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DosPartition {
    uint64_t start = 0;      // first sector of the partition
    uint64_t count = 0;      // sectors
    uint64_t slotStart = 0;  // a logical partition's extended boot record; a primary's own start,
                             // or sector 0 when it starts in the first track
    unsigned type = 0;
    bool active = false;
    bool primary = true;
    unsigned slot = 0;       // entry of the master boot record (0-3) for a primary partition
};

struct DosExtended {
    bool present = false;
    unsigned slot = 0;
    uint64_t start = 0;
    uint64_t count = 0;
    unsigned type = 0x05;
};

enum class DiskLabelKind { None, Dos, Gpt, Other, Unreadable };

struct DosTable {
    DiskLabelKind kind = DiskLabelKind::None;
    std::string labelId;                 // "0x12345678", kept across writes
    std::vector<DosPartition> partitions; // primaries and logicals, in disk order
    DosExtended extended;
    bool damaged = false;                 // the chain of extended boot records loops
};
