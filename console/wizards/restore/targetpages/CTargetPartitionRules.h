// The acceptance rules of the target partition page: whether the selected partition
// or unallocated space can take the image volume. The page gathers the facts from
// the command object and the device manager; the rules are plain arithmetic.
#pragma once

#include <cstdint>
#include <string>

#include "KSDiskInfo.h"
#include "KSVolume.h"

struct TargetPartitionFacts {
    bool itemFound = false;
    bool diskRow = false;              // the device list's disk row, not a partition
    _KS_PARTITION_INFO record{};       // as the disk enumeration describes it
    _KS_DISK_INFO disk{};
    int diskIndex = 0;
    bool offline = false;
    bool badRange = false;             // IsBadDisk: the region overlaps another partition
    // The device manager's item.
    uint64_t itemStart = 0;
    uint64_t itemSectors = 0;
    bool itemPrimary = false;
    unsigned itemType = 0;             // 0 for unallocated space
    bool firstAndLogical = false;
    unsigned long checkFlags = 0;      // CheckItem of the item's disk
    uint32_t sectorsPerTrack = 63;
    uint32_t tracksPerCylinder = 255;
    // Unallocated neighbours.
    uint64_t freeBefore = 0;
    uint64_t freeAfter = 0;
    // The partition that holds the image file, when there is one.
    bool imageOnPartition = false;
    int imageDiskIndex = -1;
    uint64_t imagePartitionStart = 0;
    bool imageOnDiscMount = false;
    bool imageOnCdromPath = false;
    // The volume to restore and the user's choice.
    _KS_VOLUME volume{};
    bool sectorBySector = false;
};

struct TargetPartitionVerdict {
    bool usable = false;
    std::string logReason; // empty when the refusal is not logged
};

class CTargetPartitionRules {
public:
    static TargetPartitionVerdict Judge(const TargetPartitionFacts& f);

    static int64_t Region(const TargetPartitionFacts& f);
    static bool IsEnable(const TargetPartitionFacts& f);
    static bool IfCanCreateLogicalPartition(const TargetPartitionFacts& f);
    static bool CompareSize(const TargetPartitionFacts& f);
    // A target without enough space for the volume: below the smallest target size,
    // or too small for the volume's data. The page shows such rows disabled.
    static bool TooSmall(const TargetPartitionFacts& f);
    // Whether the selection is the partition that holds the image file.
    static bool HoldsImage(const TargetPartitionFacts& f);
};
