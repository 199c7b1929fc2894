// Everything the progress page does before the copy starts, without the widgets: the
// modules the run will load are loaded first; the destination's partitions are
// replaced in the device manager's memory, each planned one is created (with its table
// type id and active flag); the engine is handed every copy item; only then is the
// table chain written, once, and the engine started. When anything before the write
// fails, the device manager rereads the disks, so the destination stays as it was,
// and the items the engine took never run (they die with the command object).
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
    ModuleMissing,   // a module the run loads is not there (result)
    PartitionFailed, // a planned partition could not be made (failedIndex)
    TableWriteFailed,
    QueueFailed,     // the engine refused an item (result): nothing written
    StartFailed,     // the table is written, but the engine did not start (result)
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
