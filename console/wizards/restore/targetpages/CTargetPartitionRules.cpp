#include "CTargetPartitionRules.h"

#include "MegaBytes.h"
#include "PartitionRules.h"
#include "vessmar/IDiskDeviceType.h"

namespace {

// The smallest region a restore target may have.
constexpr double kSmallestTargetMB = kFatRaisedSmallestMB;

TargetPartitionVerdict Refused(const char* reason = "")
{
    TargetPartitionVerdict v;
    v.logReason = reason;
    return v;
}

} // namespace

int64_t CTargetPartitionRules::Region(const TargetPartitionFacts& f)
{
    return static_cast<int64_t>(f.record.SectorCount + f.freeBefore + f.freeAfter);
}

bool CTargetPartitionRules::HoldsImage(const TargetPartitionFacts& f)
{
    return !f.imageOnDiscMount && f.imageOnPartition && f.imageDiskIndex == f.diskIndex &&
           f.imagePartitionStart == f.record.StartSector;
}

bool CTargetPartitionRules::IfCanCreateLogicalPartition(const TargetPartitionFacts& f)
{
    double size = SectorsToMB(f.itemSectors);
    const double cylinder = SectorsToMB(uint64_t(f.tracksPerCylinder) * f.sectorsPerTrack) + 0.1;
    if (f.firstAndLogical)
        size -= cylinder;
    return size >= kSmallestTargetMB;
}

bool CTargetPartitionRules::IsEnable(const TargetPartitionFacts& f)
{
    if (SectorsToMB(f.itemSectors + f.freeBefore + f.freeAfter) < kSmallestTargetMB)
        return false;
    if ((f.checkFlags & 0x1) == 0 && !IfCanCreateLogicalPartition(f))
        return false;
    return (f.checkFlags & 0x3) != 0;
}

bool CTargetPartitionRules::TooSmall(const TargetPartitionFacts& f)
{
    if (!f.itemFound)
        return false;
    return SectorsToMB(f.itemSectors + f.freeBefore + f.freeAfter) < kSmallestTargetMB || !CompareSize(f);
}

bool CTargetPartitionRules::CompareSize(const TargetPartitionFacts& f)
{
    const _KS_VOLUME& v = f.volume;
    int64_t need = static_cast<int64_t>(v.UsedSectors);
    if ((v.Flags & KS_VOLFLAG_NO_FS_READER) != 0 || v.FileSystem == KS_FS_OTHER)
        need = static_cast<int64_t>(v.TotalSectors);
    const int64_t start = static_cast<int64_t>(f.itemStart);
    const int64_t track = f.sectorsPerTrack;
    // A logical partition, and a primary one that starts right after the first track,
    // count the track in front of them.
    const bool ownStart = f.itemType == 0 || (f.itemPrimary && start != track);
    const int64_t usableStart = ownStart ? start : start - track;
    const int64_t available = (start + static_cast<int64_t>(f.itemSectors) - 1) - usableStart + 1 +
                              static_cast<int64_t>(f.freeBefore) + static_cast<int64_t>(f.freeAfter);
    const enumFILE_SYSTEM_TYPE fs = GetFileSysTypeFromVoltype(v.FileSystem);
    if (fs == FILE_SYSTEM_FAT32) {
        enumFILE_SYSTEM_TYPE fat32 = FILE_SYSTEM_FAT32;
        if (available < 0 || !IfNewPartitionSizeSurrportFileSystem(static_cast<uint64_t>(available), fat32))
            return false;
    }
    const int64_t total = static_cast<int64_t>(v.TotalSectors);
    if (f.imageOnCdromPath)
        return available >= total;
    if (fs == FILE_SYSTEM_FAT16 || fs == FILE_SYSTEM_FAT32 || fs == FILE_SYSTEM_NTFS)
        return f.sectorBySector ? available >= total : available >= need + need / 50;
    return available >= need;
}

TargetPartitionVerdict CTargetPartitionRules::Judge(const TargetPartitionFacts& f)
{
    if (f.diskRow || !f.itemFound)
        return Refused();
    if (HoldsImage(f))
        return Refused();
    if (f.badRange)
        return Refused("the partitions are crossed");
    if (f.disk.Dynamic != 0 || f.disk.DiskType == DISK_TYPE_GPT)
        return Refused("the disk is dynamic or GPT!");
    if (f.offline)
        return Refused();
    const int64_t cylinder = int64_t(f.tracksPerCylinder) * f.sectorsPerTrack;
    const _KS_VOLUME& v = f.volume;
    if (f.sectorBySector && (v.Flags & KS_VOLFLAG_PRIMARY) != 0 && static_cast<int64_t>(v.PartitionStart) > cylinder &&
        (f.record.Primary != 1 || static_cast<int64_t>(f.record.StartSector) < cylinder) &&
        static_cast<int64_t>(v.TotalSectors) + f.sectorsPerTrack >= Region(f))
        return Refused("primary to logic!");
    if (!IsEnable(f))
        return Refused();
    if (!CompareSize(f))
        return Refused("Is too small!");
    const int64_t region = Region(f);
    if (v.FileSystem == KS_FS_FAT32) {
        if (region <= 32255)
            return Refused("fat32 can not to fat16");
        if (region <= 68543)
            return Refused();
    } else if (v.FileSystem == KS_FS_FAT16 && region <= 33263) {
        return Refused("fat16 can not to fat12!");
    }
    TargetPartitionVerdict ok;
    ok.usable = true;
    return ok;
}
