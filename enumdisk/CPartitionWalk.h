// Fills a partition record from one item of a disk's partition list: the table entry,
// the file system, the volume with its letter and write protection, the boot
// information and the disk's kind.
#pragma once

#include "KSDiskInfo.h"
#include "vessmar/IPartitionManager.h"

class CPartitionWalk {
public:
    // Finds the partition at index in the disk's list and fills record, which the
    // caller has zeroed. hiddenSectors, when not null, receives the hidden sectors too.
    // 0, or a failure with kind KS_ERR_NO_PARTITION (also for an item that is not a
    // partition entry).
    static unsigned long Fill(IPartitionManager* partitions, unsigned long long index, _KS_PARTITION_INFO& record,
                              unsigned long long* hiddenSectors);

    // Whether a table type id is one of the hidden kinds.
    static bool IsHiddenType(unsigned int typeId);
};
