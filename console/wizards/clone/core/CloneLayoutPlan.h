// The target layout of a clone, from the two disks' records to the planned partitions
// and the three lists the progress page works from.
//
// Same layout (the target holds at least the source's sectors and the source is not
// reported bad): every partition keeps its slot and size. Relayout: the partitions are
// packed from the start of the target, each growable one getting its used sectors, a
// 2 % margin and an equal share of the room left, within file-system limits, with ends
// on the target's cylinders; an overrun is then taken back from the growable ones.
#pragma once

#include <cstdint>
#include <vector>

#include "CloneDiskRecords.h"
#include "RestoreInfo.h"
#include "layout/TagRSPartitionInfo.h"
#include "vessmar/AddPartitionParam.h"

struct CloneLayoutInput {
    unsigned char sourceDisk = 0;
    unsigned char targetDisk = 0;
    CloneDiskRecords source;
    _KS_DISK_INFO target{};
    bool sourceBad = false;
    // The target's geometry as its partition tables use it (IDiskGeometry).
    uint32_t targetTracksPerCylinder = 0;
    uint32_t targetSectorsPerTrack = 0;
};

struct CloneLayoutPlan {
    bool relayout = false;
    uint64_t targetCylinder = 0; // heads x sectors per track of the target's record
    std::vector<TagRSPartitionInfo> layout;
    std::vector<_RESTORE_INFO> restoreItems;   // destination side, one per planned partition
    std::vector<AddPartitionParam> addParams;  // what the progress page creates
    std::vector<_RESTORE_INFO> sourceItems;    // source side, same order
    // The fewest sectors each planned partition's volume can be given (CloneVolumeFloor;
    // 0 for one copied sector by sector), same order.
    std::vector<uint64_t> floors;
};

CloneLayoutPlan PlanCloneLayout(const CloneLayoutInput& input);

// Fits a packed layout into diskSectors: an overrun, in whole cylinders, is taken from
// the resizable partitions' slack (never from one kept at its size, nor from one with
// two cylinders of slack or less), and no FAT16 partition stays above its cap. Slack
// is what lies above the larger of a partition's used sectors and its floor (floors,
// one per planned partition; none given: the used sectors alone), so no volume is
// made smaller than its file system can be. A layout that still overruns is left so;
// ClonePlanFits refuses it.
void CorrectPartitionSpace(long long diskSectors, unsigned long cylinder, std::vector<TagRSPartitionInfo>& layout,
                           const std::vector<uint64_t>& floors = {});

// The restore engine's volume type of a file system (enumFILE_SYSTEM_TYPE).
unsigned short GetVoltypeFromFileSysType(uint32_t fileSystem);
