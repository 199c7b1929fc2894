// The scripted module's objects: disks, partitions and iterators over them. Items
// belong to the iterator that listed them and die with it; a caller's references are
// counted but never free an item.
#pragma once

#include <cstring>
#include <vector>

#include "FakeVessmarControl.h"
#include "vessmar/IDiskDeviceType.h"
#include "vessmar/IDiskEntry.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionBootInfo.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionManager.h"
#include "vessmar/IVolumeEntryInfo.h"

FakeVessmarControl& Control();

template <class I>
bool IsKey(const char* key)
{
    return key != nullptr && std::strcmp(key, MomGetTypeNameT<I>()) == 0;
}

// Lists items it owns; deletes them, and itself, when its last reference goes.
class FakeIterator final : public IIterator {
public:
    template <class Item>
    static FakeIterator* Owning(const std::vector<Item*>& items)
    {
        FakeIterator* it = new FakeIterator;
        for (Item* item : items) {
            it->items_.push_back(item);
            it->deleters_.push_back([](IManagerItem* p) { delete static_cast<Item*>(p); });
        }
        return it;
    }

    IObject* GetInterface(const char* key) override { return IsKey<IIterator>(key) ? this : nullptr; }
    unsigned long Release() override;
    unsigned long AddRef() override { return ++refs_; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    IManagerItem* Next() override { return next_ < items_.size() ? items_[next_++] : nullptr; }

private:
    FakeIterator();
    ~FakeIterator();

    std::vector<IManagerItem*> items_;
    std::vector<void (*)(IManagerItem*)> deleters_;
    size_t next_ = 0;
    unsigned long refs_ = 0;
};

class FakeDisk final : public IManagerItem,
                       public IDiskEntry,
                       public IDiskGeometry,
                       public IDiskDeviceType,
                       public IPartitionManager {
public:
    explicit FakeDisk(const ScriptedDisk& plan) : plan_(plan) {}
    ~FakeDisk() {}

    IObject* GetInterface(const char* key) override;
    unsigned long Release() override { return refs_ > 0 ? --refs_ : 0; }
    unsigned long AddRef() override { return ++refs_; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long ManagerItemReserved5() override { return 0; }
    IManagerItem* GetParent() override { return nullptr; }
    unsigned long DiskEntryReserved5() override { return 0; }
    unsigned long long GetTotalSectors() override { return plan_.totalSectors; }
    const char* GetDeviceName() override { return plan_.deviceName.c_str(); }
    const char* GetModelName() override { return plan_.nullModel ? nullptr : plan_.model.c_str(); }
    unsigned long DiskEntryReserved9() override { return 0; }
    unsigned long DiskEntryReserved10() override { return 0; }
    unsigned long DiskEntryReserved11() override { return 0; }
    _Interface_Type GetInterfaceType() override { return plan_.interfaceType; }
    unsigned long long GetCylinders() override { return plan_.cylinders; }
    uint32_t GetTracksPerCylinder() override { return plan_.heads; }
    uint32_t GetSectorsPerTrack() override { return plan_.sectorsPerTrack; }
    uint32_t GetBytesPerSector() override { return plan_.bytesPerSector; }
    unsigned int GetDiskType() override { return plan_.diskType; }
    unsigned long long GetCount() override { return plan_.partitions.size(); }
    IIterator* CreateIterator() override;
    IManagerItem* CreatePartition(const AddPartitionParam*, unsigned long) override { return nullptr; }
    unsigned long DeletePartition(IManagerItem*) override { return 1; }
    unsigned long DeleteAllPartitions() override { return 1; }
    bool IsBadDisk() override { return plan_.bad; }
    unsigned long TestWholeDisk() override { return 0; }

private:
    ScriptedDisk plan_;
    unsigned long refs_ = 0;
};

class FakePartition final : public IManagerItem,
                            public IPartitionEntry,
                            public IFileSystemPartition,
                            public IFileSystemPartitionExtendInfo,
                            public IPartitionBootInfo,
                            public IVolumeEntryInfo {
public:
    FakePartition(FakeDisk* disk, const ScriptedPartition& plan) : disk_(disk), plan_(plan) {}
    ~FakePartition() {}

    IObject* GetInterface(const char* key) override;
    unsigned long Release() override { return refs_ > 0 ? --refs_ : 0; }
    unsigned long AddRef() override { return ++refs_; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long ManagerItemReserved5() override { return 0; }
    IManagerItem* GetParent() override { return disk_; }
    unsigned long long GetStartSector() override { return plan_.start; }
    unsigned long long GetSectorCount() override { return plan_.count; }
    unsigned long PartitionEntryReserved7() override { return 0; }
    unsigned long long GetHiddenSectors() override { return plan_.hidden; }
    bool IsActive() override { return plan_.active; }
    bool IsPrimary() override { return plan_.primary; }
    unsigned int GetPartitionType() override { return plan_.type; }
    const char* GetVolumeLabel() override { return plan_.nullLabel ? nullptr : plan_.label.c_str(); }
    enumFILE_SYSTEM_TYPE GetFileSystemType() override { return plan_.fileSystemType; }
    unsigned long long GetVolumeSerial() override { return plan_.serial; }
    unsigned long long GetUsedSectors() override { return plan_.used; }
    int GetSectorsPerCluster() override { return plan_.sectorsPerCluster; }
    uint32_t GetReservedSectors() override { return 0; }
    bool HasBootRecord() override { return plan_.hasBootRecord; }
    unsigned long ReadBootSector(void*, unsigned long) override { return 0; }
    bool IsSystemPartition() override { return plan_.systemPartition; }
    unsigned long WriteBootSector(const void*, unsigned long) override { return 0; }
    char GetDriveLetter() override { return plan_.letter; }
    const char* GetMountName() override { return ""; }
    unsigned long SetDriveLetter(char) override { return 1; }
    unsigned long MountVolume() override { return 1; }
    bool IsVolumeMounted(char) override { return false; }
    unsigned long UnmountVolume() override { return 1; }

private:
    FakeDisk* disk_;
    ScriptedPartition plan_;
    unsigned long refs_ = 0;
};
