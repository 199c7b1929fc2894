// Creating the planned partitions on the destination, in the device manager's memory,
// through the command object: each one is tried at its planned size, then a little
// smaller (1, 3, 6 and 10 tracks in all), then one track later, and its copy item is
// placed where the device manager puts the partition's data. A partition that cannot
// be made, or that came out smaller than the source its sector-by-sector copy takes,
// stops the preparation: the caller then discards the edits and queues nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "RestoreInfo.h"
#include "vessmar/AddPartitionParam.h"

class ITasque;

struct ClonePlacementResult {
    bool created = true;
    int failedIndex = -1; // the planned partition that could not be made
};

// add and restore are adjusted in place; source gives each copy's source size.
ClonePlacementResult PlaceClonePartitions(ITasque& command, uint8_t targetDisk, uint32_t track,
                                          std::vector<AddPartitionParam>& add, std::vector<_RESTORE_INFO>& restore,
                                          const std::vector<_RESTORE_INFO>& source);

// Where the device manager puts the data of a partition made in slot P.
uint64_t CloneDataStart(const AddPartitionParam& slot, uint32_t track);

constexpr int kClonePlacementAttempts = 5;
