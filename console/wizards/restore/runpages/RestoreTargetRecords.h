// The restore items the progress page queues: where each image volume goes on the
// target disk, as the restore engine's caller describes it (_RESTORE_INFO).
#pragma once

#include <cstdint>

#include "KSVolume.h"
#include "RestoreInfo.h"
#include "layout/TagRSPartitionInfo.h"

// The restore item's volume type for a file-system kind is the clone layout's
// GetVoltypeFromFileSysType (the clone fills the same item).

// What the device manager says of a partition the page has just created.
struct NewPartitionFacts {
    uint64_t start = 0;
    uint64_t sectors = 0;
    uint64_t hidden = 0;
};

// Whether a volume is written back sector by sector: read that way, or recorded
// whole and too full to leave its file system room.
bool RestoreSectorBySector(const _KS_VOLUME& v);

// An item of a whole-disk restore for planned entry e, restored from volume v onto
// the partition created for it. spt: the target disk's sectors per track.
_RESTORE_INFO DiskEntryTarget(uint8_t disk, const TagRSPartitionInfo& e, const _KS_VOLUME& v,
                              const NewPartitionFacts& created, uint64_t spt, bool relaidOut, bool sectorBySector);

// Inputs of a one-partition restore item.
struct PartitionTargetInput {
    uint8_t disk = 0;
    uint64_t first = 0;            // where the data starts on the new partition
    NewPartitionFacts created;
    bool countWholeVolume = false; // sector by sector onto a logical or sector-0 slot
    uint32_t kind = 0;             // enumFILE_SYSTEM_TYPE of the new partition
    char driveLetter = 0;          // blank or 0 when the partition gets none
    bool makeActive = false;
    bool makePrimary = false;
};
_RESTORE_INFO PartitionTarget(const PartitionTargetInput& in, const _KS_VOLUME& v);

// The boot record's item: the track-0 area of the image's disk sourceDisk.
_RESTORE_INFO BootRecordTarget(uint8_t disk, uint8_t sourceDisk);
