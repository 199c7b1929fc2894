// Partition edits through the device manager module: add, delete, find, the disk's
// item and the test of a range for a new partition.
#include "COrdwell.h"
#include "OrdwellGuards.h"
#include "VessmarPartitionWalk.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManager.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionManager.h"
#include "vessmar/IVessmarModule.h"

// The module is asked afresh each time: its list follows the disks as they are now.
IPartitionManager* COrdwell::FindDisk(uint8_t disk, IManagerItem** itemOut)
{
    IVessmarModule* module = modules_.openVessmar != nullptr ? modules_.openVessmar() : nullptr;
    if (module == nullptr)
        return nullptr;
    IManager* manager = module->GetManager();
    if (manager == nullptr)
        return nullptr;
    IIterator* disks = manager->CreateIterator();
    if (disks == nullptr)
        return nullptr;
    IManagerItem* item = nullptr;
    for (unsigned index = 0; index <= disk; ++index) {
        item = disks->Next();
        if (item == nullptr)
            break;
    }
    disks->Release();
    if (item == nullptr)
        return nullptr;
    if (itemOut != nullptr)
        *itemOut = item;
    return item->GetInterfaceT<IPartitionManager>(MomGetTypeNameT<IPartitionManager>());
}

unsigned long COrdwell::OnAddPartition(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    const auto* r = Request<KS_CMD_ADD_PARTITION_REQUEST>(packet);
    IPartitionManager* disk = FindDisk(r->Disk);
    if (disk == nullptr)
        return OrdwellResult::kAddNoDisk;
    const AddPartitionParam param = r->Param;
    return disk->CreatePartition(&param, 0) != nullptr ? 0 : OrdwellResult::kAddFailed;
}

unsigned long COrdwell::OnDeletePartition(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    const auto* r = Request<KS_CMD_DISK_RANGE_REQUEST>(packet);
    IPartitionManager* disk = FindDisk(r->Disk);
    if (disk == nullptr)
        return OrdwellResult::kDeleteNoDisk;
    if (r->First.Get() == ~0ull)
        return disk->DeleteAllPartitions() != 0 ? OrdwellResult::kDeleteAllFailed : 0;
    IManagerItem* item = VessmarPartitionWalk::Find(disk, r->First.Get(), r->Second.Get());
    if (item == nullptr)
        return OrdwellResult::kDeleteNotFound;
    return disk->DeletePartition(item) != 0 ? OrdwellResult::kDeleteFailed : 0;
}

unsigned long COrdwell::OnFindPartition(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** holder)
{
    const auto* r = Request<KS_CMD_DISK_RANGE_REQUEST>(packet);
    IPartitionManager* disk = FindDisk(r->Disk);
    if (disk == nullptr)
        return OrdwellResult::kFindNoDisk;
    IManagerItem* item = VessmarPartitionWalk::Find(disk, r->First.Get(), r->Second.Get());
    if (item == nullptr)
        return OrdwellResult::kFindNotFound;
    auto* reply = Reply<KS_CMD_ITEM_REPLY>(holder, TASQUE_CMD_FIND_PARTITION);
    ORDWELL_NEEDS_REPLY(reply);
    if (reply->Item == nullptr)
        return KS_RESULT(KS_MODULE_COMMAND, KS_KIND_BAD_ARGUMENT);
    Hold(item);
    *reinterpret_cast<IManagerItem**>(reply->Item) = item;
    return 0;
}

unsigned long COrdwell::OnGetDiskItem(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** holder)
{
    IManagerItem* diskItem = nullptr;
    if (FindDisk(Request<KS_CMD_DISK_RANGE_REQUEST>(packet)->Disk, &diskItem) == nullptr || diskItem == nullptr)
        return OrdwellResult::kDiskItemNoDisk;
    auto* reply = Reply<KS_CMD_ITEM_REPLY>(holder, TASQUE_CMD_GET_DISK_ITEM);
    ORDWELL_NEEDS_REPLY(reply);
    if (reply->Item == nullptr)
        return KS_RESULT(KS_MODULE_COMMAND, KS_KIND_BAD_ARGUMENT);
    IManagerItem* item = diskItem->GetInterfaceT<IManagerItem>(MomGetTypeNameT<IManagerItem>());
    if (item == nullptr)
        return OrdwellResult::kDiskItemNoDisk;
    Hold(item);
    *reinterpret_cast<IManagerItem**>(reply->Item) = item;
    return 0;
}

// Whether [S, E] may take a new partition: not when an existing partition other than
// exactly [S, E] holds S or E, nor when the range swallows a partition whole.
unsigned long COrdwell::OnIsBadDisk(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    const auto* r = Request<KS_CMD_DISK_RANGE_REQUEST>(packet);
    IPartitionManager* disk = FindDisk(r->Disk);
    if (disk == nullptr)
        return OrdwellResult::kBadDiskNoDisk;
    const uint64_t first = r->First.Get();
    const uint64_t last = r->Second.Get();
    if (first == 0 && last == 0)
        return disk->TestWholeDisk() & 0xFF;
    VessmarPartitionWalk walk(disk);
    PartitionExtent p;
    while (walk.Next(p)) {
        if (p.count == 0)
            continue;
        const uint64_t s = p.start;
        const uint64_t e = p.start + p.count - 1;
        if (s == first && e == last)
            continue;
        if (s <= first && first <= e)
            return OrdwellResult::kBadDiskStartInside;
        if (s <= last && last <= e)
            return OrdwellResult::kBadDiskEndInside;
        if (first < s && e < last)
            return OrdwellResult::kBadDiskStartInside;
    }
    return 0;
}
