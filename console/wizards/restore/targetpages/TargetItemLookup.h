// Finds a target's item in the device manager: a partition through the command
// object's FindPartition, which lists partitions only; unallocated space (which the
// target partition page also offers) through the disk's own list.
#pragma once

#include <cstdint>

class ITasque;
class IManagerItem;

IManagerItem* FindTargetItem(ITasque* tasque, uint8_t disk, uint64_t first, uint64_t count);
