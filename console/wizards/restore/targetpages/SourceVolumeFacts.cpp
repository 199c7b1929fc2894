#include "SourceVolumeFacts.h"

#include "FatMetadataSize.h"
#include "PartitionRules.h"
#include "layout/PartitionSlot.h"

namespace SourceVolumeFacts {

enumFILE_SYSTEM_TYPE Kind(const _KS_VOLUME& v)
{
    return GetFileSysTypeFromVoltype(v.FileSystem);
}

bool IsPrimary(const _KS_VOLUME& v) { return (v.Flags & KS_VOLFLAG_PRIMARY) != 0; }
bool IsActive(const _KS_VOLUME& v) { return (v.Flags & KS_VOLFLAG_ACTIVE) != 0; }
bool IsSectorBySector(const _KS_VOLUME& v) { return (v.Flags & KS_VOLFLAG_NO_FS_READER) != 0; }
bool HasFatLimit(const _KS_VOLUME& v) { return (v.Flags & KS_VOLFLAG_PART_BIT1) != 0; }

bool IsResizable(const _KS_VOLUME& v)
{
    const enumFILE_SYSTEM_TYPE kind = Kind(v);
    return (kind == FILE_SYSTEM_FAT16 || kind == FILE_SYSTEM_FAT32 || kind == FILE_SYSTEM_NTFS) &&
           !IsSectorBySector(v);
}

uint64_t UsedWithMargin(const _KS_VOLUME& v)
{
    return v.UsedSectors + v.UsedSectors / 50;
}

bool KeepsSize(const _KS_VOLUME& v)
{
    return IsSectorBySector(v) || v.TotalSectors < UsedWithMargin(v);
}

uint64_t FatKindMinimum(const _KS_VOLUME& v)
{
    const enumFILE_SYSTEM_TYPE kind = Kind(v);
    uint64_t floor;
    switch (kind) {
    case FILE_SYSTEM_FAT12: floor = kFat12MinSectors; break;
    case FILE_SYSTEM_FAT16: floor = kFat16MinSectors; break;
    case FILE_SYSTEM_FAT32: floor = kFat32MinSectors; break;
    default: return 0;
    }
    // The cluster-count window's lower end is a few clusters below what some readers
    // take for the kind; a small slack keeps the volume clear of that edge.
    constexpr uint64_t kClusterSlack = 16;
    const uint32_t variant = static_cast<uint32_t>(kind);
    const uint64_t cluster = v.SectorsPerCluster != 0 ? v.SectorsPerCluster : 1;
    const uint64_t data = (FatClusterCountWindow(kind).smallest + kClusterSlack) * cluster;
    const uint64_t reserved = kind == FILE_SYSTEM_FAT32 ? kFat32ReservedSectors : 1;
    const uint64_t least =
        reserved + FixedRootSectors(variant) + kFatCount * LargestTableSectors(variant, data, cluster) + data;
    return least > floor ? least : floor;
}

uint64_t PlannedMinimum(const _KS_VOLUME& v)
{
    const enumFILE_SYSTEM_TYPE kind = Kind(v);
    if (kind <= FILE_SYSTEM_NTFS) {
        if (KeepsSize(v))
            return v.TotalSectors;
        // A volume already smaller than that lives at its own size: it may keep it.
        const uint64_t kindLeast = FatKindMinimum(v) < v.TotalSectors ? FatKindMinimum(v) : v.TotalSectors;
        return UsedWithMargin(v) > kindLeast ? UsedWithMargin(v) : kindLeast;
    }
    // Nothing reads an unknown file system: all of it is written back.
    return v.TotalSectors != 0 ? v.TotalSectors : v.UsedSectors;
}

uint64_t ExtentFirst(const _KS_VOLUME& v)
{
    return VolumeSlotFirst(v);
}

uint64_t ExtentLast(const _KS_VOLUME& v)
{
    return v.StartLessHidden + v.HiddenPlusTotal - 1;
}

} // namespace SourceVolumeFacts
