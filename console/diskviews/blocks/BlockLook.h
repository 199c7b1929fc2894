// What a block of the disk map shows, decided without a display: its record, whether
// it stands for a whole disk that cannot be split, its free-space flag, kind, used
// share and the texts drawn on it.
#pragma once

#include <string>

#include "KSDiskInfo.h"

struct DeviceBlockLook {
    __PARTITION_INFO_CMD record;
    bool wholeDisk = false;    // a GPT, dynamic or bad disk drawn as one block
    bool unallocated = false;  // type id 0
    double usedShare = 0;      // used sectors / total sectors
};

// The look of a partition record: free space for type id 0, kind 4 for a type id the
// console does not support, the used share (0 for a record of no sectors).
DeviceBlockLook MakeBlockLook(const __PARTITION_INFO_CMD& record);

// The disk test: a dynamic or GPT disk, or one whose range the device manager calls
// bad, is drawn as one block named after its kind, all of it used.
void MarkDynamicOrGpt(DeviceBlockLook& look, const _KS_DISK_INFO& disk);
bool IsDynamicOrGpt(const _KS_DISK_INFO& disk);
void MarkBadDisk(DeviceBlockLook& look);

// The record's name text, never read past its field.
std::string BlockName(const __PARTITION_INFO_CMD& record);
// "Unallocated"; the whole disk's name; else "C:  " (when lettered), the name, "  " and
// the file-system name.
std::string BlockLabel(const DeviceBlockLook& look);
// The partition's size as the console writes sizes ("1.00 GB").
std::string BlockSizeText(const DeviceBlockLook& look);
// Whether the used bar is drawn: only above 1 % of the partition.
bool ShowsUsedBar(const DeviceBlockLook& look);
