// Mirrane: copies an NTFS volume onto a partition of another size. The volume's
// used clusters are copied into a sparse temporary file, ntfsresize brings it to the
// partition's size there, and only then is the partition written, so a volume that
// does not fit fails before the partition is touched.
#pragma once

#include "CCallBackOperate.h"
#include "KSPartitionPlace.h"

// Results besides 0 (success); 2 and 3 are the read and write failures callers map.
enum : unsigned long {
    MIRRANE_BAD_ARGUMENT = 1,
    MIRRANE_READ_FAILED = 2,
    MIRRANE_WRITE_FAILED = 3,
    MIRRANE_DOES_NOT_FIT = 4,    // ntfsresize refused the partition's size
    MIRRANE_TOOL_MISSING = 5,
    MIRRANE_CANCELLED = KS_OPERATE_CANCELLED,
};

// target and targetAgain name the same partition. The volume ends up filling the
// partition but its last sector, which holds the copy of the boot sector.
extern "C" unsigned long CopyNTFSVolume(const KSPartitionPlace* target, const KSPartitionPlace* targetAgain,
                                        KS_OPERATE_CALLBACK callback, void* context, const KSVolumeSource* source);
