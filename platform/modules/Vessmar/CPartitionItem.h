// A partition of a disk, or a stretch of free space on it (type id 0). A partition
// answers the entry, editor, file-system and boot interfaces; free space only the
// entry. Edits change the disk's table in memory.
#pragma once

#include "CRefCounted.h"
#include "DosTable.h"
#include "FileSystemInfo.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IFileSystemPartitionEditor.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IFileSystemPartitionExtendInfoEditor.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionBootInfo.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionEntryEditor.h"
#include "vessmar/IVolumeEntryInfo.h"

class CDiskItem;

class CPartitionItem final : public CRefCounted,
                             public IManagerItem,
                             public IPartitionEntry,
                             public IPartitionEntryEditor,
                             public IFileSystemPartition,
                             public IFileSystemPartitionEditor,
                             public IFileSystemPartitionExtendInfo,
                             public IFileSystemPartitionExtendInfoEditor,
                             public IPartitionBootInfo,
                             public IVolumeEntryInfo {
public:
    // A partition of the disk's table.
    CPartitionItem(CDiskItem* disk, const DosPartition& partition, const FileSystemInfo& fileSystem);
    // Free space.
    CPartitionItem(CDiskItem* disk, uint64_t start, uint64_t count, bool insideExtended);

    bool IsFreeSpace() const { return free_; }
    const DosPartition& Partition() const { return partition_; }
    DosPartition& Partition() { return partition_; }
    uint64_t SortKey() const { return partition_.start; }

    // IObject
    IObject* GetInterface(const char* key) override;
    unsigned long Release() override;
    unsigned long AddRef() override;
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    // IManagerItem
    unsigned long ManagerItemReserved5() override { return 0; }
    IManagerItem* GetParent() override;
    // IPartitionEntry
    unsigned long long GetStartSector() override;
    unsigned long long GetSectorCount() override;
    unsigned long PartitionEntryReserved7() override { return 0; }
    unsigned long long GetHiddenSectors() override;
    bool IsActive() override;
    bool IsPrimary() override;
    unsigned int GetPartitionType() override;
    // IPartitionEntryEditor
    unsigned long SetActive(bool active) override;
    unsigned long SetPartitionType(unsigned int id) override;
    // IFileSystemPartition
    const char* GetVolumeLabel() override;
    enumFILE_SYSTEM_TYPE GetFileSystemType() override;
    unsigned long long GetVolumeSerial() override;
    // IFileSystemPartitionExtendInfo
    unsigned long long GetUsedSectors() override;
    int GetSectorsPerCluster() override;
    uint32_t GetReservedSectors() override;
    // IFileSystemPartitionExtendInfoEditor
    unsigned long SetUsedSectors(unsigned long long used) override;
    unsigned long ExtendInfoEditorReserved6() override { return 0; }
    unsigned long ExtendInfoEditorReserved7() override { return 0; }
    unsigned long ExtendInfoEditorReserved8() override { return 0; }
    unsigned long ExtendInfoEditorReserved9() override { return 0; }
    unsigned long SetUsedSectorsSource(unsigned long source) override;
    // IPartitionBootInfo
    bool HasBootRecord() override;
    unsigned long ReadBootSector(void* buffer, unsigned long count) override;
    bool IsSystemPartition() override;
    unsigned long WriteBootSector(const void* buffer, unsigned long count) override;
    // IVolumeEntryInfo: a volume's letter comes from the platform layer's drive table
    // (empty on a recovery system, where volumes have mount points instead); a letter
    // set on a partition is recorded as the one it is to have. Mounting marks the
    // volume mounted in the platform layer's volume table, where the engines' volume
    // names and mount points are kept.
    char GetDriveLetter() override;
    const char* GetMountName() override { return ""; }
    unsigned long SetDriveLetter(char letter) override;
    unsigned long MountVolume() override;
    bool IsVolumeMounted(char hint) override;
    unsigned long UnmountVolume() override;

private:
    ~CPartitionItem() override;
    // The disk's number in the disk map; false for free space or an unmapped disk.
    bool MapNumber(unsigned& disk) const;

    CDiskItem* disk_;
    DosPartition partition_;
    FileSystemInfo fileSystem_;
    bool free_;
    uint64_t usedFromCaller_ = 0;
    bool haveCallerUsed_ = false;
    bool useCallerUsed_ = false;
    char letter_ = 0;
};
