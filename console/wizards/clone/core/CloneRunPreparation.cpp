#include "CloneRunPreparation.h"

#include <cstring>

#include "CloneCopyQueue.h"
#include "ClonePlacement.h"
#include "CloneServices.h"
#include "ITasque.h"
#include "KSResult.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntryEditor.h"
#include "vessmar/IPartitionTableChainWriter.h"
#include "vessmar/IVessmarModule.h"

namespace {

constexpr unsigned long long kWholeTable = ~0ull;

// The table type id the plan chose (held in the item's volume-type field until the
// items are queued) and the active flag, on the partition just made.
bool MarkPartition(ITasque& command, uint8_t disk, const _RESTORE_INFO& item)
{
    IManagerItem* made = nullptr;
    if (command.FindPartition(disk, item.FirstSector, item.SectorCount, &made) != 0 || made == nullptr)
        return false;
    IPartitionEntryEditor* editor =
        made->GetInterfaceT<IPartitionEntryEditor>(MomGetTypeNameT<IPartitionEntryEditor>());
    if (editor == nullptr)
        return false;
    if (item.VolumeType != 0 && editor->SetPartitionType(item.VolumeType) != 0)
        return false;
    return editor->SetActive(item.Active != 0) == 0;
}

CloneRunOutcome Discard(IVessmarModule* vessmar, CloneRunStage stage, int index = -1, unsigned long result = 0)
{
    vessmar->Refresh(0);
    CloneRunOutcome outcome;
    outcome.stage = stage;
    outcome.failedIndex = index;
    outcome.result = result;
    return outcome;
}

} // namespace

CloneRunOutcome PrepareAndStartClone(ITasque& command, IVessmarModule* vessmar, uint8_t sourceDisk,
                                     uint8_t targetDisk, CloneRunLists& lists, CloneCallback callback, void* context)
{
    CloneRunOutcome outcome;
    if (vessmar == nullptr || vessmar->GetManager() == nullptr) {
        outcome.stage = CloneRunStage::NoDeviceManager;
        return outcome;
    }
    // A module missing halfway would leave a new table with nothing copied into it.
    for (const char* module : CloneRunModules(lists.add))
        if (!CloneModuleLoads(module)) {
            outcome.stage = CloneRunStage::ModuleMissing;
            outcome.result = KS_RESULT(KS_MODULE_CONSOLE, KS_KIND_VERSION_TOO_NEW);
            return outcome;
        }
    IManagerItem* disk = nullptr;
    IPartitionTableChainWriter* writer = nullptr;
    if (command.GetDiskItem(targetDisk, &disk) == 0 && disk != nullptr)
        writer = disk->GetInterfaceT<IPartitionTableChainWriter>(MomGetTypeNameT<IPartitionTableChainWriter>());
    if (writer == nullptr)
        return Discard(vessmar, CloneRunStage::NoDeviceManager);

    command.DeletePartition(targetDisk, kWholeTable, 0);
    _KS_DISK_INFO target;
    std::memset(&target, 0, sizeof target);
    command.EnumGetDiskInfo(targetDisk, &target);
    const ClonePlacementResult placed =
        PlaceClonePartitions(command, targetDisk, target.SectorsPerTrack, lists.add, lists.restore, lists.source);
    if (!placed.created)
        return Discard(vessmar, CloneRunStage::PartitionFailed, placed.failedIndex);
    for (size_t i = 0; i < lists.restore.size(); ++i)
        if (!MarkPartition(command, targetDisk, lists.restore[i]))
            return Discard(vessmar, CloneRunStage::PartitionFailed, static_cast<int>(i));

    // The engine takes every item before the disk is touched: a refusal leaves the
    // destination's table as it was.
    unsigned long result = command.RestoreSetCallBack(callback, context);
    if (result == 0)
        result = QueueCloneCopies(command, lists.source, lists.restore, lists.add);
    if (result == 0)
        result = CloneDiskMBR(command, sourceDisk, targetDisk);
    if (result == 0)
        result = command.RestoreSetDiskMode(1);
    if (result != 0)
        return Discard(vessmar, CloneRunStage::QueueFailed, -1, result);
    if (writer->Write() != 0)
        return Discard(vessmar, CloneRunStage::TableWriteFailed);

    outcome.result = command.RestoreExecute();
    if (outcome.result != 0)
        outcome.stage = CloneRunStage::StartFailed;
    return outcome;
}
