#include "VessmarPartitionWalk.h"

#include "vessmar/IIterator.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionManager.h"

VessmarPartitionWalk::VessmarPartitionWalk(IPartitionManager* disk)
    : iterator_(disk != nullptr ? disk->CreateIterator() : nullptr)
{
}

VessmarPartitionWalk::~VessmarPartitionWalk()
{
    if (iterator_ != nullptr)
        iterator_->Release();
}

bool VessmarPartitionWalk::Next(PartitionExtent& out)
{
    if (iterator_ == nullptr)
        return false;
    while (IManagerItem* item = iterator_->Next()) {
        IPartitionEntry* entry = item->GetInterfaceT<IPartitionEntry>(MomGetTypeNameT<IPartitionEntry>());
        // Free space (type 0) is listed beside the partitions but holds none.
        if (entry == nullptr || entry->GetPartitionType() == 0)
            continue;
        out.item = item;
        out.start = entry->GetStartSector();
        out.count = entry->GetSectorCount();
        return true;
    }
    return false;
}

IManagerItem* VessmarPartitionWalk::Find(IPartitionManager* disk, uint64_t start, uint64_t count)
{
    VessmarPartitionWalk walk(disk);
    PartitionExtent p;
    while (walk.Next(p))
        if (p.start == start && p.count == count)
            return p.item;
    return nullptr;
}
