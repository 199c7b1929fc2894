// One disk as the clone pages read it through the command object or the disk
// enumeration: its record and its partition records in enumeration order (entries of
// unallocated space included, with type id 0). Reading goes through a small seam so
// the plan and the page rules work on records alone.
#pragma once

#include <cstdint>
#include <vector>

#include "KSDiskInfo.h"

class ITasque;
class ICensa;

struct CloneDiskRecords {
    _KS_DISK_INFO disk{};
    std::vector<_KS_PARTITION_INFO> partitions;
};

// Through the command object; a record a call leaves untouched stays zero-filled.
CloneDiskRecords ReadCloneDisk(ITasque& command, unsigned disk);
// Through the disk enumeration object.
CloneDiskRecords ReadCloneDisk(ICensa& censa, unsigned disk);

// File-system kinds (enumFILE_SYSTEM_TYPE) whose volumes are copied by file system and
// may shrink or grow: FAT16, FAT32 and NTFS.
bool IsResizableFileSystem(uint32_t fileSystem);
// Growable in a relayout: resizable and without the keep-full-size flag (bit 6).
bool IsGrowablePartition(const _KS_PARTITION_INFO& partition);

constexpr uint8_t kCloneFlagActive = 0x01;     // bit 0: the table entry is active
constexpr uint8_t kCloneFlagSecond = 0x02;     // bit 1: lower FAT cap, carried over
constexpr uint8_t kCloneFlagKeepSize = 0x40;   // bit 6: keeps its full size
