// An in-memory disk with its partition list, answering the device manager's
// interfaces, for unit tests of the layout engine. No table is written anywhere.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "vessmar/IDiskDeviceType.h"
#include "vessmar/IDiskEntry.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IFileSystemPartitionExtendInfoEditor.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionEntryEditor.h"
#include "vessmar/IPartitionManager.h"

template <class I>
bool IsKey(const char* key)
{
    return std::strcmp(key, MomGetTypeNameT<I>()) == 0;
}

struct FakePartitionData {
    unsigned long long start = 0;
    unsigned long long count = 0;
    unsigned long long hidden = 0;
    bool primary = true;
    bool active = false;
    unsigned int type = 0;  // 0: free space
    enumFILE_SYSTEM_TYPE fs = FILE_SYSTEM_OTHER;
    unsigned long long used = 0;
    int cluster = 0;
    uint32_t reserved = 0;
    bool hasFileSystem = true;
};

class FakePartition : public IManagerItem, public IPartitionEntry, public IFileSystemPartition,
                      public IFileSystemPartitionExtendInfo, public IPartitionEntryEditor,
                      public IFileSystemPartitionExtendInfoEditor {
public:
    FakePartition(IManagerItem* disk, const FakePartitionData& data) : disk_(disk), d(data) {}
    IObject* GetInterface(const char* key) override
    {
        if (IsKey<IManagerItem>(key)) return static_cast<IManagerItem*>(this);
        if (IsKey<IPartitionEntry>(key)) return static_cast<IPartitionEntry*>(this);
        if (IsKey<IPartitionEntryEditor>(key)) return static_cast<IPartitionEntryEditor*>(this);
        if (d.type != 0 && d.hasFileSystem) {
            if (IsKey<IFileSystemPartition>(key)) return static_cast<IFileSystemPartition*>(this);
            if (IsKey<IFileSystemPartitionExtendInfo>(key)) return static_cast<IFileSystemPartitionExtendInfo*>(this);
            if (IsKey<IFileSystemPartitionExtendInfoEditor>(key))
                return static_cast<IFileSystemPartitionExtendInfoEditor*>(this);
        }
        return nullptr;
    }
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long ManagerItemReserved5() override { return 0; }
    IManagerItem* GetParent() override { return disk_; }
    unsigned long long GetStartSector() override { return d.start; }
    unsigned long long GetSectorCount() override { return d.count; }
    unsigned long PartitionEntryReserved7() override { return 0; }
    unsigned long long GetHiddenSectors() override { return d.hidden; }
    bool IsActive() override { return d.active; }
    bool IsPrimary() override { return d.primary; }
    unsigned int GetPartitionType() override { return d.type; }
    const char* GetVolumeLabel() override { return "LABEL"; }
    enumFILE_SYSTEM_TYPE GetFileSystemType() override { return d.fs; }
    unsigned long long GetVolumeSerial() override { return 0; }
    unsigned long long GetUsedSectors() override { return d.used; }
    int GetSectorsPerCluster() override { return d.cluster; }
    uint32_t GetReservedSectors() override { return d.reserved; }
    unsigned long SetActive(bool active) override { d.active = active; return 0; }
    unsigned long SetPartitionType(unsigned int id) override { d.type = id; return 0; }
    unsigned long SetUsedSectors(unsigned long long used) override { d.used = used; return 0; }
    unsigned long ExtendInfoEditorReserved6() override { return 0; }
    unsigned long ExtendInfoEditorReserved7() override { return 0; }
    unsigned long ExtendInfoEditorReserved8() override { return 0; }
    unsigned long ExtendInfoEditorReserved9() override { return 0; }
    unsigned long SetUsedSectorsSource(unsigned long) override { return 0; }

    IManagerItem* disk_;
    FakePartitionData d;
};

class FakeDisk;

class FakeIterator final : public IIterator {
public:
    explicit FakeIterator(std::vector<IManagerItem*> items) : items_(std::move(items)) {}
    IObject* GetInterface(const char*) override { return nullptr; }
    unsigned long Release() override { delete this; return 0; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    IManagerItem* Next() override { return next_ < items_.size() ? items_[next_++] : nullptr; }

private:
    virtual ~FakeIterator() {}
    std::vector<IManagerItem*> items_;
    size_t next_ = 0;
};

class FakeDisk : public IManagerItem, public IPartitionManager, public IDiskGeometry, public IDiskEntry,
                 public IDiskDeviceType {
public:
    FakeDisk(unsigned long long total, uint32_t heads = 255, uint32_t sectors = 63)
        : total_(total), heads_(heads), sectors_(sectors) {}
    FakePartition* Add(const FakePartitionData& data)
    {
        parts_.push_back(std::make_unique<FakePartition>(this, data));
        return parts_.back().get();
    }
    IObject* GetInterface(const char* key) override
    {
        if (IsKey<IManagerItem>(key)) return static_cast<IManagerItem*>(this);
        if (IsKey<IPartitionManager>(key) || IsKey<IContainer>(key)) return static_cast<IPartitionManager*>(this);
        if (IsKey<IDiskGeometry>(key)) return static_cast<IDiskGeometry*>(this);
        if (IsKey<IDiskEntry>(key)) return static_cast<IDiskEntry*>(this);
        if (IsKey<IDiskDeviceType>(key)) return static_cast<IDiskDeviceType*>(this);
        return nullptr;
    }
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long ManagerItemReserved5() override { return 0; }
    IManagerItem* GetParent() override { return nullptr; }
    unsigned long long GetCount() override { return parts_.size(); }
    IIterator* CreateIterator() override
    {
        std::vector<IManagerItem*> items;
        for (auto& p : parts_)
            items.push_back(p.get());
        return new FakeIterator(items);
    }
    IManagerItem* CreatePartition(const AddPartitionParam* record, unsigned long) override
    {
        created.push_back(*record);
        if (refuseCreates > 0) {
            --refuseCreates;
            return nullptr;
        }
        FakePartitionData data;
        data.primary = record->Primary != 0;
        data.hidden = (!data.primary || record->FirstSector == 0) ? sectors_ : 0;
        data.start = record->FirstSector + data.hidden;
        data.count = record->LastSector - data.start + 1;
        data.fs = static_cast<enumFILE_SYSTEM_TYPE>(record->FileSystem);
        data.type = record->PartitionType != 0 ? record->PartitionType : 0x06;
        data.cluster = static_cast<int>(record->SectorsPerCluster);
        return Add(data);
    }
    unsigned long DeletePartition(IManagerItem* item) override
    {
        for (auto it = parts_.begin(); it != parts_.end(); ++it)
            if (it->get() == item) {
                deleted.push_back(std::move(*it));
                parts_.erase(it);
                return 0;
            }
        return 1;
    }
    unsigned long DeleteAllPartitions() override { parts_.clear(); return 0; }
    bool IsBadDisk() override { return bad; }
    unsigned long TestWholeDisk() override { return 0; }
    unsigned long long GetCylinders() override { return total_ / (heads_ * sectors_); }
    uint32_t GetTracksPerCylinder() override { return heads_; }
    uint32_t GetSectorsPerTrack() override { return sectors_; }
    uint32_t GetBytesPerSector() override { return 512; }
    unsigned long DiskEntryReserved5() override { return 0; }
    unsigned long long GetTotalSectors() override { return total_; }
    const char* GetDeviceName() override { return "fake"; }
    const char* GetModelName() override { return "fake"; }
    unsigned long DiskEntryReserved9() override { return 0; }
    unsigned long DiskEntryReserved10() override { return 0; }
    unsigned long DiskEntryReserved11() override { return 0; }
    _Interface_Type GetInterfaceType() override { return INTERFACE_TYPE_ATA; }
    unsigned int GetDiskType() override { return diskType; }

    bool bad = false;
    unsigned int diskType = DISK_TYPE_BASIC;
    int refuseCreates = 0;
    std::vector<AddPartitionParam> created;
    std::vector<std::unique_ptr<FakePartition>> deleted;

private:
    unsigned long long total_;
    uint32_t heads_, sectors_;
    std::vector<std::unique_ptr<FakePartition>> parts_;
};
