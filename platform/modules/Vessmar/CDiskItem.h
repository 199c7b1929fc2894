// A disk of the device tree: its identity and geometry, its partition list, and the
// edits of its partition table, which stay in memory until Write.
#pragma once

#include <string>
#include <vector>

#include "CRefCounted.h"
#include "DiskMapEntry.h"
#include "DosTable.h"
#include "vessmar/IDiskDeviceType.h"
#include "vessmar/IDiskEntry.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionManager.h"
#include "vessmar/IPartitionManagerParameterCheck.h"
#include "vessmar/IPartitionTableChainWriter.h"

class CPartitionItem;

class CDiskItem final : public CRefCounted,
                        public IManagerItem,
                        public IDiskEntry,
                        public IDiskGeometry,
                        public IDiskDeviceType,
                        public IPartitionManager,
                        public IPartitionManagerParameterCheck,
                        public IPartitionTableChainWriter {
public:
    // The DOS-compatible geometry every disk is laid out on.
    static constexpr uint32_t kHeads = 255;
    static constexpr uint32_t kSectorsPerTrack = 63;

    // Reads the disk's table and probes its file systems.
    explicit CDiskItem(const DiskMapEntry& disk);
    // Holds the place of a listed disk that is not there, so that the disks after it
    // keep their positions: it answers as a tree item only, never as a disk.
    static CDiskItem* Absent(unsigned number);
    // Leaves the tree after a rescan: drops the partitions, refuses edits from now on.
    void Retire();

    const std::string& Path() const { return disk_.path; }
    const DiskMapEntry& Entry() const { return disk_; }
    unsigned long SetActive(CPartitionItem* item, bool active);
    unsigned long SetPartitionType(CPartitionItem* item, unsigned type);
    // True when the item is a partition of this disk and the disk holds no unwritten edits.
    bool IsWrittenAsListed(const CPartitionItem* item) const;

    // IObject
    IObject* GetInterface(const char* key) override;
    unsigned long Release() override;
    unsigned long AddRef() override;
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    // IManagerItem
    unsigned long ManagerItemReserved5() override { return 0; }
    IManagerItem* GetParent() override { return nullptr; }
    // IDiskEntry
    unsigned long DiskEntryReserved5() override { return 0; }
    unsigned long long GetTotalSectors() override;
    const char* GetDeviceName() override;
    const char* GetModelName() override;
    unsigned long DiskEntryReserved9() override { return 0; }
    unsigned long DiskEntryReserved10() override { return 0; }
    unsigned long DiskEntryReserved11() override { return 0; }
    _Interface_Type GetInterfaceType() override { return INTERFACE_TYPE_UNKNOWN; }
    // IDiskGeometry
    unsigned long long GetCylinders() override;
    uint32_t GetTracksPerCylinder() override { return kHeads; }
    uint32_t GetSectorsPerTrack() override { return kSectorsPerTrack; }
    uint32_t GetBytesPerSector() override { return 512; }
    // IDiskDeviceType
    unsigned int GetDiskType() override;
    // IContainer, IPartitionManager
    unsigned long long GetCount() override;
    IIterator* CreateIterator() override;
    IManagerItem* CreatePartition(const AddPartitionParam* record, unsigned long flags) override;
    unsigned long DeletePartition(IManagerItem* item) override;
    unsigned long DeleteAllPartitions() override;
    bool IsBadDisk() override;
    unsigned long TestWholeDisk() override;
    // IPartitionManagerParameterCheck
    unsigned long CheckItem(IManagerItem* item) override;
    // IPartitionTableChainWriter
    unsigned long Write() override;

private:
    ~CDiskItem() override;

    void Load();
    bool Editable() const;
    CPartitionItem* FindPartition(const IManagerItem* item) const;
    DosTable Snapshot() const;
    // After an edit: the first logical partition's record lies at the extended
    // partition's start, and the free space and the listed order follow the table.
    void Relist();
    void DropFreeItems();

    CDiskItem(const DiskMapEntry& disk, bool present);

    DiskMapEntry disk_;
    bool absent_ = false;
    std::string deviceName_;
    DosTable table_;                       // label and extended partition; partitions live in parts_
    std::vector<CPartitionItem*> parts_;   // held
    std::vector<CPartitionItem*> free_;    // held
    std::vector<CPartitionItem*> listed_;  // parts_ and free_ in disk order
    bool bad_ = false;
    bool dirty_ = false;
    bool retired_ = false;
};
