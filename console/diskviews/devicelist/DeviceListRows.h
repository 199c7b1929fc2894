// What the device list shows, worked out from the command object's disk and
// partition records without a display: one root row per disk, one child row per
// partition (or free stretch, when shown), the single row of a GPT or dynamic disk,
// and the partition entries the list keeps for FindPartitionData.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KSDiskInfo.h"

class ITasque;

struct DeviceRowTexts {
    std::string partition, type, size, used, unused, status, priLog;
};

struct DevicePartitionRow {
    int partition;   // the enumeration's partition number, 0 on a GPT or dynamic disk's row
    DeviceRowTexts texts;
    bool primary;
    int checked; // the row's first check state: IsCurrentSystemPath's answer
};

struct DeviceDiskRows {
    int disk;
    std::string title; // "Disk " and the number from 1
    std::vector<DevicePartitionRow> children;
};

// The entry the list keeps for each partition row it adds.
struct DevicePartitionEntry {
    uint64_t disk;
    uint8_t partition;
    __PARTITION_INFO_CMD record;
};

// The row of a partition record; false when it adds none (free space while free
// stretches are not shown). The name goes into the Partition text as it comes; the
// list converts it for display when it stores it.
bool DevicePartitionRowTexts(const __PARTITION_INFO_CMD& record, bool showUnallocated, DeviceRowTexts& out);

// A disk the list does not split into partitions: kind 0 (dynamic) or 1 (GPT).
bool IsWholeDiskKind(const _KS_DISK_INFO& disk);
DeviceRowTexts WholeDiskRowTexts(const _KS_DISK_INFO& disk);

// The disk title as drawn: " Empty Disk" is added when neither check boxes are drawn
// nor the list was told to leave the suffix off.
std::string DeviceDiskTitleShown(const std::string& title, bool checkBoxDrawn, bool noEmptySuffix);

// Walks every disk of the command object. Rows and entries are built afresh; the
// primary count counts the "Primary" rows. A failing partition query ends that disk's
// rows, not the following disks'; a disk whose record cannot be read (one that is not
// there) gets no row at all, and the disks after it keep their numbers.
struct DeviceListContents {
    std::vector<DeviceDiskRows> disks;
    std::vector<DevicePartitionEntry> entries;
    int primaryCount = 0;
};
DeviceListContents EnumerateDeviceList(ITasque* command, bool showUnallocated);

// FindPartitionData: sets the record's byte at offset 164 to 1, then copies the
// record of the first entry of that disk and partition over it, when there is one.
void FindDevicePartition(const std::vector<DevicePartitionEntry>& entries, uint64_t disk, uint8_t partition,
                         __PARTITION_INFO_CMD& out);
