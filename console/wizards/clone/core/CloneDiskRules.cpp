#include "CloneDiskRules.h"

#include "vessmar/FileSystemType.h"

namespace {
constexpr uint16_t kGptDiskType = 1;
constexpr uint32_t kSectorBytes = 512;
}

bool IsCloneRefusedDiskKind(const _KS_DISK_INFO& disk)
{
    return disk.Dynamic != 0 || disk.DiskType == kGptDiskType;
}

bool IsCloneSourceSupported(const CloneDiskRecords& censaView, const _KS_DISK_INFO& commandRecord)
{
    for (const _KS_PARTITION_INFO& p : censaView.partitions) {
        const int64_t size = static_cast<int64_t>(p.SectorCount);
        if (p.FileSystemType == FILE_SYSTEM_NTFS && size > kCloneNtfsLimit)
            return false;
        if (p.FileSystemType == FILE_SYSTEM_FAT32 && size > kCloneFat32Limit)
            return false;
    }
    if (commandRecord.BytesPerSector > kSectorBytes)
        return false;
    if (censaView.partitions.size() == 1 &&
        (censaView.partitions[0].PartitionType == 0 || IsCloneRefusedDiskKind(censaView.disk)))
        return false;
    return true;
}

bool IsCloneTargetSelectable(int disk, int sourceDisk, const _KS_DISK_INFO& record, bool offline)
{
    return disk != sourceDisk && !IsCloneRefusedDiskKind(record) && !offline;
}

int64_t CloneSourceNeed(const std::vector<_KS_PARTITION_INFO>& partitions)
{
    int64_t need = 0;
    for (const _KS_PARTITION_INFO& p : partitions) {
        if (p.FileSystemType <= FILE_SYSTEM_NTFS) {
            const int64_t used = static_cast<int64_t>(p.UsedSectors);
            need += used + used / 50;
        } else if (p.PartitionType != 0) {
            need += static_cast<int64_t>(p.SectorCount);
        }
    }
    return need;
}

CloneTargetVerdict CheckCloneTarget(const CloneDiskRecords& source, const _KS_DISK_INFO& target)
{
    if (target.BytesPerSector > kSectorBytes)
        return CloneTargetVerdict::NotSupported;
    if (CloneSourceNeed(source.partitions) > static_cast<int64_t>(target.TotalSectors))
        return CloneTargetVerdict::TooSmall;
    if (IsCloneRefusedDiskKind(target))
        return CloneTargetVerdict::NotSupported;
    return CloneTargetVerdict::Accepted;
}
