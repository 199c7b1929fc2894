// An in-memory device manager for the wizards' unit tests: disks with their
// partitions and free stretches, edits kept in memory until a disk's table chain is
// written, and a Refresh that drops every unwritten edit, as the real module's
// rescan does. Nothing touches a real disk. Disks and items live as long as the
// tree; objects are never freed by Release.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vessmar/FileSystemType.h"
#include "vessmar/IDiskDeviceType.h"
#include "vessmar/IDiskEntry.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IFileSystemPartitionExtendInfoEditor.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManager.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionEntryEditor.h"
#include "vessmar/IPartitionManager.h"
#include "vessmar/IPartitionManagerParameterCheck.h"
#include "vessmar/IPartitionTableChainWriter.h"
#include "vessmar/IVessmarModule.h"

// One entry of a disk's list: a partition, or free space (type 0).
struct MemoryPartitionData {
    uint64_t start = 0;      // first data sector
    uint64_t count = 0;
    uint64_t hidden = 0;     // sectors of its slot before the data
    bool primary = true;
    bool active = false;
    unsigned type = 0;       // table type id; 0 = unallocated
    enumFILE_SYSTEM_TYPE fs = FILE_SYSTEM_OTHER;
    uint64_t used = 0;
    int sectorsPerCluster = 8;
    std::string label;
    bool hasExtendInfoEditor = true;

    uint64_t SlotFirst() const { return start - hidden; }
    uint64_t Last() const { return start + count - 1; }
};

class CMemoryDisk;

class CMemoryPartition : public IManagerItem, public IPartitionEntry, public IPartitionEntryEditor,
                         public IFileSystemPartition, public IFileSystemPartitionExtendInfo,
                         public IFileSystemPartitionExtendInfoEditor {
public:
    CMemoryPartition(CMemoryDisk* disk, const MemoryPartitionData& data) : disk_(disk), d(data) {}

    IObject* GetInterface(const char* key) override;
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long ManagerItemReserved5() override { return 0; }
    IManagerItem* GetParent() override;
    unsigned long long GetStartSector() override { return d.start; }
    unsigned long long GetSectorCount() override { return d.count; }
    unsigned long PartitionEntryReserved7() override { return 0; }
    unsigned long long GetHiddenSectors() override { return d.hidden; }
    bool IsActive() override { return d.active; }
    bool IsPrimary() override { return d.primary; }
    unsigned int GetPartitionType() override { return d.type; }
    unsigned long SetActive(bool active) override;
    unsigned long SetPartitionType(unsigned int id) override;
    const char* GetVolumeLabel() override { return d.label.c_str(); }
    enumFILE_SYSTEM_TYPE GetFileSystemType() override { return d.fs; }
    unsigned long long GetVolumeSerial() override { return 0; }
    unsigned long long GetUsedSectors() override { return d.used; }
    int GetSectorsPerCluster() override { return d.sectorsPerCluster; }
    uint32_t GetReservedSectors() override { return 0; }
    unsigned long SetUsedSectors(unsigned long long used) override;
    unsigned long ExtendInfoEditorReserved6() override { return 0; }
    unsigned long ExtendInfoEditorReserved7() override { return 0; }
    unsigned long ExtendInfoEditorReserved8() override { return 0; }
    unsigned long ExtendInfoEditorReserved9() override { return 0; }
    unsigned long SetUsedSectorsSource(unsigned long source) override;

    bool IsFree() const { return d.type == 0; }

    CMemoryDisk* disk_;
    MemoryPartitionData d;
    unsigned long usedSource = USED_SECTORS_MEASURED;
};

class CMemoryDisk : public IManagerItem, public IPartitionManager, public IDiskGeometry, public IDiskEntry,
                    public IDiskDeviceType, public IPartitionTableChainWriter,
                    public IPartitionManagerParameterCheck {
public:
    CMemoryDisk(uint64_t totalSectors, uint32_t tracksPerCylinder = 255, uint32_t sectorsPerTrack = 63);

    // Adds an entry; free space between entries is not made up, tests list it.
    CMemoryPartition* Add(const MemoryPartitionData& data);
    // Adds free space from first to last sector.
    CMemoryPartition* AddFree(uint64_t first, uint64_t last);
    std::vector<CMemoryPartition*> Items() const;
    // The partition (not free space) whose data starts at first, or null.
    CMemoryPartition* FindByStart(uint64_t first) const;

    IObject* GetInterface(const char* key) override;
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long ManagerItemReserved5() override { return 0; }
    IManagerItem* GetParent() override { return nullptr; }
    unsigned long long GetCount() override { return items_.size(); }
    IIterator* CreateIterator() override;
    // Carves the record's slot out of the free stretch that holds it.
    IManagerItem* CreatePartition(const AddPartitionParam* record, unsigned long flags) override;
    unsigned long DeletePartition(IManagerItem* item) override;
    unsigned long DeleteAllPartitions() override;
    bool IsBadDisk() override { return bad; }
    unsigned long TestWholeDisk() override { return 0; }
    unsigned long long GetCylinders() override { return total_ / (uint64_t(heads_) * spt_); }
    uint32_t GetTracksPerCylinder() override { return heads_; }
    uint32_t GetSectorsPerTrack() override { return spt_; }
    uint32_t GetBytesPerSector() override { return 512; }
    unsigned long DiskEntryReserved5() override { return 0; }
    unsigned long long GetTotalSectors() override { return total_; }
    const char* GetDeviceName() override { return deviceName.c_str(); }
    const char* GetModelName() override { return "memory disk"; }
    unsigned long DiskEntryReserved9() override { return 0; }
    unsigned long DiskEntryReserved10() override { return 0; }
    unsigned long DiskEntryReserved11() override { return 0; }
    _Interface_Type GetInterfaceType() override { return INTERFACE_TYPE_ATA; }
    unsigned int GetDiskType() override { return diskType; }
    // Keeps the edited list as the written state; failWrites refuses the next writes.
    unsigned long Write() override;
    unsigned long CheckItem(IManagerItem* item) override;

    // Drops every edit since the last Write (the module's Refresh).
    void DropEdits();
    bool Edited() const { return edited_; }
    void MarkEdited() { edited_ = true; }

    bool bad = false;
    unsigned diskType = DISK_TYPE_BASIC;
    std::string deviceName = "\\\\.\\PhysicalDrive0";
    unsigned long checkFlags = CHECK_ITEM_PRIMARY_POSSIBLE | CHECK_ITEM_LOGICAL_POSSIBLE;
    int refuseCreates = 0;          // the next n CreatePartition calls give null
    int failWrites = 0;             // the next n Write calls fail
    int writes = 0;                 // successful writes
    std::vector<AddPartitionParam> createCalls;
    std::vector<MemoryPartitionData> deletedEntries;

private:
    void MergeFree();
    uint64_t total_;
    uint32_t heads_, spt_;
    bool edited_ = false;
    std::vector<std::unique_ptr<CMemoryPartition>> items_;
    std::vector<MemoryPartitionData> written_;
    // Items taken out of the list stay alive: callers may still hold them.
    std::vector<std::unique_ptr<CMemoryPartition>> retired_;
};

class CMemoryVessmar : public IVessmarModule, public IManager {
public:
    CMemoryVessmar() = default;
    CMemoryDisk* AddDisk(uint64_t totalSectors, uint32_t tracksPerCylinder = 255, uint32_t sectorsPerTrack = 63);
    CMemoryDisk* Disk(size_t index) const { return index < disks_.size() ? disks_[index].get() : nullptr; }
    size_t DiskCount() const { return disks_.size(); }

    IObject* GetInterface(const char* key) override;
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long VessmarReserved5() override { return 0; }
    unsigned long VessmarReserved6() override { return 0; }
    IObject* Open(unsigned long) override { return static_cast<IManager*>(this); }
    unsigned long Refresh(unsigned long flags) override;
    IManager* GetManager() override { return this; }
    unsigned long Attach(IObject*) override { return 0; }
    unsigned long long GetCount() override { return disks_.size(); }
    IIterator* CreateIterator() override;

    int refreshes = 0;

    // The tree that the device manager opener hands out while a test runs
    // (SetVessmarOpener / SetEnvVessmarOpener take this function).
    static void SetCurrent(CMemoryVessmar* tree);
    static IVessmarModule* OpenCurrent();

private:
    std::vector<std::unique_ptr<CMemoryDisk>> disks_;
};
