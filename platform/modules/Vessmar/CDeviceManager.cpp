#include "CDeviceManager.h"

#include "CDiskItem.h"
#include "CDiskMap.h"
#include "CItemIterator.h"
#include "InterfaceKey.h"
#include "VessmarLock.h"

void CDeviceManager::Rescan()
{
    // The disks are read without the module lock: nobody else sees them before the swap,
    // and other threads may go on walking the old tree meanwhile. No table is written
    // from the read until the new tree is in place.
    std::lock_guard<std::mutex> tables(VessmarTableLock());
    std::vector<CDiskItem*> fresh;
    unsigned numbers = 0;
    const std::vector<DiskMapEntry> present = CDiskMap().Disks(numbers);
    // A disk's position in the tree is its number: a listed disk that is not there
    // keeps its place, so that the disks after it are not taken for it.
    auto entry = present.begin();
    for (unsigned number = 0; number < numbers; ++number) {
        CDiskItem* disk = nullptr;
        if (entry != present.end() && entry->number == number)
            disk = new CDiskItem(*entry++);
        else
            disk = CDiskItem::Absent(number);
        disk->Hold();
        fresh.push_back(disk);
    }
    VessmarGuard guard(VessmarLock());
    fresh.swap(disks_);
    for (CDiskItem* old : fresh) {
        old->Retire();
        old->Unhold();
    }
    scanned_ = true;
}

IObject* CDeviceManager::GetInterface(const char* key)
{
    VessmarGuard guard(VessmarLock());
    if (IsKeyOf<IManager>(key))
        return static_cast<IManager*>(this);
    if (IsKeyOf<IContainer>(key))
        return static_cast<IContainer*>(this);
    return nullptr;
}

unsigned long long CDeviceManager::GetCount()
{
    VessmarGuard guard(VessmarLock());
    return disks_.size();
}

IIterator* CDeviceManager::CreateIterator()
{
    VessmarGuard guard(VessmarLock());
    std::vector<CRefCounted*> owners(disks_.begin(), disks_.end());
    std::vector<IManagerItem*> items(disks_.begin(), disks_.end());
    return new CItemIterator(owners, items);
}
