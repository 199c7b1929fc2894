// The restore wizard's one parameter record: the pages leave their choices in it for
// each other and for the progress page. One per wizard, inside the frame; it never
// leaves the process.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "KSDiskInfo.h"
#include "KSVolume.h"
#include "layout/TagRSPartitionInfo.h"
#include "vessmar/AddPartitionParam.h"

class ITasque;
class IManagerItem;

enum : uint32_t {
    RESTORE_IMAGE_PATH_BYTES = 520,
};

// What the summary page keeps of the target disk before a run.
struct SaveDiskInfoParam {
    uint32_t DiskIndex = 0;
    uint64_t TotalSectors = 0;
    uint32_t PartitionCount = 0;
};

struct TagRestoreInfo {
    TagRestoreInfo();
    TagRestoreInfo(const TagRestoreInfo&) = delete;
    TagRestoreInfo& operator=(const TagRestoreInfo&) = delete;

    ITasque* pTasque = nullptr;             // created by the frame; every page talks through it
    int64_t llFreeSectorsBefore = 0;         // unallocated space just before the target
    int64_t llFreeStartBefore = 0;           // its first sector
    int64_t llFreeSectorsAfter = 0;          // unallocated space just after the target
    int64_t llNewPartitionStart = 0;         // first sector of the partition to create
    int64_t llNewPartitionSectors = 0;       // its sector count
    uint32_t nLastPage = 0;                  // RestorePagePosition last left forward
    uint32_t nSourceDisk = 0;                // disk inside the image whose entries were chosen
    uint32_t nTargetDisk = 0;                // 0-based from the partition page, 1-based from the disk page
    uint32_t bMakeActive = 0;
    uint32_t bMakePrimary = 0;               // both 0: logical
    uint32_t bSectorBySector = 0;
    uint32_t bDiskRestore = 0;               // several entries ending with the disk row
    uint32_t bMbrOnly = 0;                   // only the disk row ("MBR and Track 0")
    uint32_t bTargetUsable = 0;
    uint32_t bTargetDiskEmpty = 1;
    // The chosen image entries in list order; a null entry stands for the disk row.
    // They point into volumeStore, so they outlive the list that offered them.
    std::vector<_KS_VOLUME*> volumes;
    char szImagePath[RESTORE_IMAGE_PATH_BYTES] = {};  // multibyte, NUL-terminated
    __PARTITION_INFO_CMD targetPartition{};
    AddPartitionParam selectedTarget{};
    AddPartitionParam newPartition{};
    IManagerItem* pTargetItem = nullptr;
    uint32_t bRelayout = 1;
    std::vector<TagRSPartitionInfo> plannedLayout;
    std::vector<SaveDiskInfoParam> savedDiskInfo;
    // Set by the progress page once it has changed a disk or queued a run; a wizard
    // closed while it is 0 drops the device manager's unwritten edits.
    uint32_t bRunStarted = 0;

    // Copies the entries (null = the disk row) and points volumes at the copies.
    void SetVolumes(const std::vector<const _KS_VOLUME*>& chosen);
    void ClearVolumes();
    // The first chosen entry, null when none (or when it is the disk row).
    const _KS_VOLUME* FirstVolume() const;
    bool LastIsDiskRow() const { return !volumes.empty() && volumes.back() == nullptr; }
    // Copies text into szImagePath; false (the field unchanged) when it does not fit.
    bool SetImagePath(const char* path);

private:
    std::deque<_KS_VOLUME> volumeStore;
};
