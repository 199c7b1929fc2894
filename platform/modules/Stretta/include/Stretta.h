// Stretta: resizes the NTFS volume on a partition to the partition's size with
// ntfsresize (ntfs-3g). A partition of a machine disk is resized through its device
// node; one of a disk-image file through a sparse temporary copy that is written back
// only after ntfsresize succeeded, so a failed or cancelled resize leaves the
// partition as it was.
#pragma once

#include <string>

#include "CCallBackOperate.h"
#include "KSPartitionPlace.h"

// Results besides 0 (success).
enum : unsigned long {
    STRETTA_BAD_ARGUMENT = 1,
    STRETTA_READ_FAILED = 2,
    STRETTA_WRITE_FAILED = 3,
    STRETTA_TOOL_REFUSED = 4,   // ntfsresize ran and failed: the volume stays as it was
    STRETTA_TOOL_MISSING = 5,
    STRETTA_CANCELLED = KS_OPERATE_CANCELLED,
};

// target: the partition holding the volume; firstSector and firstAgain: its first
// sector (both must equal target's); sectorCount: the partition's length;
// sourceStart: where the volume was backed up from (carried for the log only).
extern "C" unsigned long StrettaVolume(const KSPartitionPlace* target, long long firstSector, long long firstAgain,
                                       long long sectorCount, long long sourceStart, KS_OPERATE_CALLBACK callback,
                                       void* context);

// Runs ntfsresize on path (a device node or a volume file): to newBytes, or to the
// whole of path when newBytes is 0. Its progress goes to progress; a cancel kills it.
// 0, STRETTA_TOOL_REFUSED, STRETTA_TOOL_MISSING or STRETTA_CANCELLED.
unsigned long StrettaRunNtfsResize(const std::string& path, unsigned long long newBytes, CCallBackOperate& progress);
