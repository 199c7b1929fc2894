// Everything the progress page does before the copy starts, without the widgets: the
// destination's partitions are replaced in the device manager's memory, each planned
// one is created (with its table type id and active flag), the table chain is written
// once, and only then are the copy items queued and the engine started. When anything
// before the write fails, the device manager rereads the disks, so the destination
// stays as it was and nothing is queued.
#pragma once

#include <cstdint>
#include <vector>

#include "RestoreInfo.h"
#include "vessmar/AddPartitionParam.h"

class ITasque;
class IVessmarModule;

enum class CloneRunStage {
    Started,         // the copy runs
    NoDeviceManager, // the device manager module or its manager is missing
    PartitionFailed, // a planned partition could not be made (failedIndex)
    TableWriteFailed,
    QueueFailed,     // the table is written, but the engine took no run (result)
};

struct CloneRunOutcome {
    CloneRunStage stage = CloneRunStage::Started;
    int failedIndex = -1;
    unsigned long result = 0;
};

struct CloneRunLists {
    std::vector<_RESTORE_INFO> source;
    std::vector<_RESTORE_INFO> restore;
    std::vector<AddPartitionParam> add;
};

typedef unsigned long (*CloneCallback)(void* context, unsigned long message, void* data);

// lists.restore and lists.add are adjusted to the partitions really made.
CloneRunOutcome PrepareAndStartClone(ITasque& command, IVessmarModule* vessmar, uint8_t sourceDisk,
                                     uint8_t targetDisk, CloneRunLists& lists, CloneCallback callback,
                                     void* context);
