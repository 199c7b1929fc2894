// What the source and destination pages accept, from the disks' records.
#pragma once

#include <cstdint>

#include "CloneDiskRecords.h"

// Dynamic and GPT disks can be chosen neither as source nor as destination.
bool IsCloneRefusedDiskKind(const _KS_DISK_INFO& disk);

// The source page's check on Next: no NTFS above 2,097,152,000 sectors nor FAT32 above
// 1,048,576,000, sectors of 512 bytes (from the command object's record), and a disk
// whose only entry is a real partition of a basic MBR disk.
bool IsCloneSourceSupported(const CloneDiskRecords& censaView, const _KS_DISK_INFO& commandRecord);

// The destination page's selection rule: not the source, not dynamic, GPT or offline.
bool IsCloneTargetSelectable(int disk, int sourceDisk, const _KS_DISK_INFO& record, bool offline);

// Sectors the source's data needs on a destination: used sectors and a fiftieth for
// FAT and NTFS volumes, the full size of every other real partition.
int64_t CloneSourceNeed(const std::vector<_KS_PARTITION_INFO>& partitions);

enum class CloneTargetVerdict { Accepted, TooSmall, NotSupported };
CloneTargetVerdict CheckCloneTarget(const CloneDiskRecords& source, const _KS_DISK_INFO& target);

constexpr int64_t kCloneNtfsLimit = 0x7D000000;  // 2,097,152,000 sectors
constexpr int64_t kCloneFat32Limit = 0x3E800000; // 1,048,576,000 sectors
constexpr const char* kCloneNotSupportedText = "The selected hard disk is not supported by this software.";
constexpr const char* kCloneMessageTitle = "Zendrel Kivra Backup";
