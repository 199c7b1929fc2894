#include "RestoreTargetLookup.h"

long FindRestoreTarget(const std::vector<RestorePartition>& partitions, const _KS_RESTORE_TARGET& target)
{
    for (size_t i = 0; i < partitions.size(); ++i)
        if (partitions[i].start == target.FirstSector && partitions[i].sectors == target.SectorCount)
            return static_cast<long>(i);
    for (size_t i = 0; i < partitions.size(); ++i) {
        const RestorePartition& p = partitions[i];
        if (p.hidden != target.HiddenSectors && p.start - p.hidden == target.FirstSector - target.HiddenSectors &&
            p.hidden + p.sectors == target.SectorCount + target.HiddenSectors)
            return static_cast<long>(i);
    }
    for (size_t i = 0; i < partitions.size(); ++i) {
        const uint64_t a = partitions[i].start, b = target.FirstSector;
        if ((a > b ? a - b : b - a) < 64)
            return static_cast<long>(i);
    }
    return -1;
}
