#include "ClonePlanCheck.h"

#include "CloneDiskRecords.h"
#include "PartitionRules.h"

bool IsSectorBySectorCopy(uint32_t fileSystem)
{
    return !IsResizableFileSystem(fileSystem);
}

uint64_t CloneSectorsNeeded(const CloneLayoutPlan& plan, size_t i)
{
    const TagRSPartitionInfo& planned = plan.layout[i];
    if (IsSectorBySectorCopy(planned.addParam.FileSystem))
        return i < plan.sourceItems.size() ? plan.sourceItems[i].SectorCount : 0;
    const uint64_t used = planned.s64UseSector > 0 ? static_cast<uint64_t>(planned.s64UseSector) : 0;
    return i < plan.floors.size() && plan.floors[i] > used ? plan.floors[i] : used;
}

bool ClonePlanFits(const CloneLayoutPlan& plan, uint64_t targetSectors)
{
    for (size_t i = 0; i < plan.layout.size(); ++i) {
        const AddPartitionParam& a = plan.layout[i].addParam;
        if (a.LastSector < a.FirstSector || a.LastSector >= targetSectors)
            return false;
        // The data begins a track into a logical slot: the restore item says where.
        if (i >= plan.restoreItems.size() || plan.restoreItems[i].SectorCount < CloneSectorsNeeded(plan, i))
            return false;
        // A volume copied by file system must be a legal size for its kind.
        enumFILE_SYSTEM_TYPE fs = static_cast<enumFILE_SYSTEM_TYPE>(a.FileSystem);
        if (!IsSectorBySectorCopy(a.FileSystem) &&
            !IfNewPartitionSizeSurrportFileSystem(plan.restoreItems[i].SectorCount, fs))
            return false;
    }
    return true;
}
