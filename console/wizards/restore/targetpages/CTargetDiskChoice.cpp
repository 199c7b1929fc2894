#include "CTargetDiskChoice.h"

#include "vessmar/IDiskDeviceType.h"

TargetDiskVerdict CTargetDiskChoice::Judge(const CTargetDiskPlanner& planner, int diskIndex,
                                           const TargetDiskFacts& disk, const TargetDiskRequest& request)
{
    TargetDiskVerdict verdict;
    verdict.diskEmpty = !disk.hasUsedPartition;
    if (!planner.DiskCanTake(disk.record.TotalSectors, request.imageOnCdromPath))
        return verdict;
    if (request.mbrOnly || request.diskRestore) {
        if (disk.offline)
            return verdict;
        if (disk.record.Dynamic != 0 || disk.record.DiskType == DISK_TYPE_GPT)
            return verdict;
    }
    if (request.diskRestore && disk.hasUsedPartition && !request.imageOnDiscMount &&
        disk.imageDiskIndex == diskIndex)
        return verdict;
    verdict.nextEnabled = true;
    return verdict;
}
