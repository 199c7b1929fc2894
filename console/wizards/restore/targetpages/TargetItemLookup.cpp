#include "TargetItemLookup.h"

#include "ITasque.h"
#include "ItemQuery.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionManager.h"

IManagerItem* FindTargetItem(ITasque* tasque, uint8_t disk, uint64_t first, uint64_t count)
{
    if (tasque == nullptr)
        return nullptr;
    IManagerItem* item = nullptr;
    if (tasque->FindPartition(disk, first, count, &item) == 0 && item != nullptr)
        return item;
    IManagerItem* diskItem = nullptr;
    if (tasque->GetDiskItem(disk, &diskItem) != 0)
        return nullptr;
    auto* manager = QueryItem<IPartitionManager>(diskItem);
    IIterator* it = manager != nullptr ? manager->CreateIterator() : nullptr;
    if (it == nullptr)
        return nullptr;
    IManagerItem* found = nullptr;
    while (IManagerItem* candidate = it->Next()) {
        auto* entry = QueryItem<IPartitionEntry>(candidate);
        if (entry != nullptr && entry->GetStartSector() == first && entry->GetSectorCount() == count) {
            found = candidate;
            break;
        }
    }
    it->Release();
    return found;
}
