// Queuing a clone's copy items with the command object: one item per partition (by
// file system for FAT16, FAT32 and NTFS, sector by sector for everything else) and the
// boot track last.
#pragma once

#include <cstdint>
#include <vector>

#include "RestoreInfo.h"
#include "vessmar/AddPartitionParam.h"

class ITasque;

// restore[i] takes source[i]'s volume type before it is queued. The first failing
// result, 0 when every item was taken.
unsigned long QueueCloneCopies(ITasque& command, const std::vector<_RESTORE_INFO>& source,
                               std::vector<_RESTORE_INFO>& restore, const std::vector<AddPartitionParam>& add);

// The boot-track item: sector 0 and the rest of the first track of each disk.
unsigned long CloneDiskMBR(ITasque& command, int sourceDisk, int targetDisk);

// A disk's sectors per track from its device-manager item; 0 when it has none.
uint32_t CloneDiskTrack(ITasque& command, uint8_t disk);

constexpr unsigned long kCloneCopySectorBySector = 1;
constexpr unsigned long kCloneCopyByFileSystem = 0;
