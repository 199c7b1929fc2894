#include "ClonePlacement.h"

#include "ClonePlanCheck.h"
#include "ITasque.h"

namespace {

// Up to five calls, the slot's end lowered by 0, 1, 2, 3, then 4 more tracks.
bool TryShrinking(ITasque& command, uint8_t disk, uint32_t track, AddPartitionParam& slot)
{
    for (int k = 0; k < kClonePlacementAttempts; ++k) {
        const uint64_t lower = static_cast<uint64_t>(k) * track;
        if (slot.LastSector < slot.FirstSector + lower)
            return false;
        slot.LastSector -= lower;
        if (command.AddPartition(disk, slot) == 0)
            return true;
    }
    return false;
}

} // namespace

uint64_t CloneDataStart(const AddPartitionParam& slot, uint32_t track)
{
    if (slot.Primary == 0)
        return slot.FirstSector + track;
    return slot.FirstSector == 0 ? track : slot.FirstSector;
}

ClonePlacementResult PlaceClonePartitions(ITasque& command, uint8_t targetDisk, uint32_t track,
                                          std::vector<AddPartitionParam>& add, std::vector<_RESTORE_INFO>& restore,
                                          const std::vector<_RESTORE_INFO>& source)
{
    ClonePlacementResult result;
    for (size_t i = 0; i < add.size(); ++i) {
        AddPartitionParam& slot = add[i];
        const uint64_t plannedLast = slot.LastSector;
        bool made = TryShrinking(command, targetDisk, track, slot);
        if (!made) {
            slot.LastSector = plannedLast;
            slot.FirstSector += track;
            made = TryShrinking(command, targetDisk, track, slot);
        }
        if (made && i < restore.size()) {
            _RESTORE_INFO& item = restore[i];
            item.FirstSector = CloneDataStart(slot, track);
            item.SectorCount = slot.LastSector >= item.FirstSector ? slot.LastSector - item.FirstSector + 1 : 0;
            // A sector-by-sector copy takes the whole source: a smaller place loses data.
            if (IsSectorBySectorCopy(slot.FileSystem) && i < source.size() &&
                item.SectorCount < source[i].SectorCount)
                made = false;
        }
        if (!made) {
            result.created = false;
            result.failedIndex = static_cast<int>(i);
            return result;
        }
    }
    return result;
}
