#include "SourceVolumeFacts.h"

#include "PartitionRules.h"

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

uint64_t PlannedMinimum(const _KS_VOLUME& v)
{
    const enumFILE_SYSTEM_TYPE kind = Kind(v);
    if (kind <= FILE_SYSTEM_NTFS)
        return KeepsSize(v) ? v.TotalSectors : UsedWithMargin(v);
    // Nothing reads an unknown file system: all of it is written back.
    return v.TotalSectors != 0 ? v.TotalSectors : v.UsedSectors;
}

uint64_t ExtentFirst(const _KS_VOLUME& v)
{
    return v.StartLessHidden;
}

uint64_t ExtentLast(const _KS_VOLUME& v)
{
    return v.StartLessHidden + v.HiddenPlusTotal - 1;
}

} // namespace SourceVolumeFacts
