// Image volume records for the target pages' tests: a partition of a source disk with
// its extent, size, use and flags, as the backup engine records it.
#pragma once

#include <cstring>

#include "KSVolume.h"

// One cylinder of the disks the tests use (255 heads, 63 sectors a track).
constexpr uint64_t kCyl = 255 * 63;

struct VolumeSpec {
    uint8_t fileSystem;   // KS_FS_*
    uint8_t flags;        // KS_VOLFLAG_*
    uint64_t slotStart;   // first sector of the partition's slot (its table entry's track)
    uint64_t hidden;      // sectors between the slot's start and the volume
    uint64_t total;
    uint64_t used;
    uint16_t cluster;
};

inline _KS_VOLUME MakeVolume(const VolumeSpec& s)
{
    _KS_VOLUME v;
    std::memset(&v, 0, sizeof v);
    v.Magic = KS_VOLUME_MAGIC;
    v.Size = KS_VOLUME_SIZE;
    v.FileSystem = s.fileSystem;
    v.Flags = s.flags;
    v.SectorsPerCluster = s.cluster;
    v.TotalSectors = s.total;
    v.UsedSectors = s.used;
    v.StartLessHidden = s.slotStart;
    v.HiddenPlusTotal = s.hidden + s.total;
    v.PartitionStart = s.slotStart + s.hidden;
    v.PartitionStartLow = static_cast<uint32_t>(v.PartitionStart);
    v.PartitionType = s.fileSystem == KS_FS_NTFS ? 0x07 : s.fileSystem == KS_FS_FAT32 ? 0x0C : 0x06;
    v.Heads = 255;
    v.SectorsPerTrack = 63;
    v.BytesPerSector = 512;
    return v;
}
