// Turns the wizard's choices into a restore run: the target partitions are created
// and edited in the device manager's memory, the restore items are queued (the
// engine accepts or refuses each), and only then is the disk's partition table
// written, once. Any step that fails leaves the disk as it was: the edits are dropped
// (Refresh) and the run is not started; the caller shows the failed step's error and
// the wizard can only be closed, so items queued before a failed write go with its
// command object unrun.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "IRestoreDiskTables.h"
#include "ITasque.h"
#include "KSDiskInfo.h"
#include "layout/TagRSPartitionInfo.h"

class IManagerItem;

struct RestoreRunRequest {
    ITasque* tasque = nullptr;
    bool diskRestore = false;
    bool mbrOnly = false;
    uint32_t targetDisk = 0;   // 1-based from the target disk page, 0-based from the partition page
    uint32_t sourceDisk = 0;   // the disk inside the image (boot-record item)
    bool makeActive = false;
    bool makePrimary = false;
    bool sectorBySector = false;
    std::vector<_KS_VOLUME*> volumes; // a null entry stands for the disk row
    _KS_PARTITION_INFO targetPartition{};
    int64_t newPartitionStart = 0;
    int64_t newPartitionSectors = 0;
    AddPartitionParam newParams{};
    IManagerItem* targetItem = nullptr;
    bool relayout = true;
    std::vector<TagRSPartitionInfo> plan;
};

struct RestoreRunOutcome {
    bool ready = false;           // items queued: the run may start
    unsigned long failedCode = 0; // the failed step's result code
    std::string failedText;       // a fixed text for the failure, when it has one
    IManagerItem* newTargetItem = nullptr;
    std::vector<_RESTORE_INFO> queued; // what went to AddRestore, in order
};

class CRestoreRunPreparer {
public:
    CRestoreRunPreparer(IRestoreDiskTables& tables, KS_CMD_CALLBACK callback, void* context);

    RestoreRunOutcome Prepare(const RestoreRunRequest& request);

    static constexpr const char* kDiskTooSmall = "The destination disk is too small for source disk.";

private:
    bool Geometry(const RestoreRunRequest& r, uint64_t& spt, uint64_t& spc) const;
    void RestoreDisk(const RestoreRunRequest& r, uint64_t spt, RestoreRunOutcome& out);
    void RestoreMBR(const RestoreRunRequest& r, RestoreRunOutcome& out);
    void RestorePartition(const RestoreRunRequest& r, uint64_t spt, RestoreRunOutcome& out);
    bool Queue(ITasque* tasque, _KS_VOLUME* source, const _RESTORE_INFO& target, unsigned long option,
               RestoreRunOutcome& out);
    void Fail(RestoreRunOutcome& out, unsigned long code, const char* text = "");

    IRestoreDiskTables& tables_;
    KS_CMD_CALLBACK callback_;
    void* context_;
};
