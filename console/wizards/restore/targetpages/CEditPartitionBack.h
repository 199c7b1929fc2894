// Going back from the partition edit page: the partition the restore mode page made
// gives way to the target as the user selected it, and the target's record is put
// back as the target partition page wrote it, so that the restore mode page starts
// again from the real target (its free space counted once).
#pragma once

#include <cstdint>

#include "KSDiskInfo.h"

struct TagRestoreInfo;

class CEditPartitionBack {
public:
    // Called when the edit page is built: reached from the restore mode page, the
    // target's record is kept before the page rewrites it for the new partition.
    static void RememberTarget(const TagRestoreInfo& info);
    // The target's size as the target partition page described it.
    static uint64_t TargetSectors();
    // Rewrites the record for the partition to create.
    static void DescribeNewPartition(TagRestoreInfo& info);

    // Undoes the restore mode page's partition change. False when the selected target
    // cannot be found again (the wizard then stays).
    static bool Undo(TagRestoreInfo& info, uint64_t sectorsPerTrack);
};
