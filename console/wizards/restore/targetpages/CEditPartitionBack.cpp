#include "CEditPartitionBack.h"

#include "ITasque.h"
#include "ItemQuery.h"
#include "PartitionRules.h"
#include "TagRestoreInfo.h"
#include "TargetItemLookup.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntryEditor.h"

namespace {

// The target as the target partition page left it; one wizard runs at a time.
struct KeptTarget {
    __PARTITION_INFO_CMD record{};
    uint64_t sectors = 0;
    bool kept = false;
};

KeptTarget& Kept()
{
    static KeptTarget kept;
    return kept;
}

} // namespace

void CEditPartitionBack::RememberTarget(const TagRestoreInfo& info)
{
    Kept().record = info.targetPartition;
    Kept().sectors = info.targetPartition.SectorCount;
    Kept().kept = true;
}

uint64_t CEditPartitionBack::TargetSectors()
{
    return Kept().sectors;
}

void CEditPartitionBack::DescribeNewPartition(TagRestoreInfo& info)
{
    const AddPartitionParam& p = info.newPartition;
    info.targetPartition.StartSector = p.FirstSector;
    info.targetPartition.SectorCount = p.LastSector - p.FirstSector + 1;
    info.targetPartition.FileSystemType = GetFileSysTypeFromVoltype(static_cast<unsigned short>(p.FileSystem));
}

bool CEditPartitionBack::Undo(TagRestoreInfo& info, uint64_t t)
{
    ITasque* tasque = info.pTasque;
    if (tasque == nullptr)
        return false;
    const auto disk = static_cast<uint8_t>(info.nTargetDisk);
    const uint64_t s0 = static_cast<uint64_t>(info.llNewPartitionStart);
    const uint64_t n0 = static_cast<uint64_t>(info.llNewPartitionSectors);
    // The record may describe the new partition by now: the kept one tells what the
    // user selected.
    const __PARTITION_INFO_CMD target = Kept().kept ? Kept().record : info.targetPartition;
    AddPartitionParam a = info.selectedTarget;
    const uint64_t first = a.FirstSector, last = a.LastSector;
    IManagerItem* item = nullptr;

    if (target.PartitionType == 0) {
        if (tasque->DeletePartition(disk, s0 + t, n0 - t) != 0)
            tasque->DeletePartition(disk, s0, n0);
        item = FindTargetItem(tasque, disk, first, last - first + 1);
    } else {
        if (tasque->DeletePartition(disk, s0, n0) != 0)
            tasque->DeletePartition(disk, s0 + t, n0 - t);
        if (a.Primary != 0) {
            tasque->AddPartition(disk, a);
            item = FindTargetItem(tasque, disk, target.StartSector, target.SectorCount);
        } else {
            a.FirstSector -= t;
            tasque->AddPartition(disk, a);
            item = FindTargetItem(tasque, disk, a.FirstSector + t, a.LastSector - a.FirstSector - t + 1);
        }
        if (item == nullptr)
            return false;
    }
    info.pTargetItem = item;
    if ((target.Flags & 0x1) != 0)
        if (auto* editor = QueryItem<IPartitionEntryEditor>(item))
            editor->SetActive(true);
    // The target's own record again: the restore mode page lays out from it.
    info.targetPartition = target;
    return true;
}
