// The texts the clone progress page writes into its log and labels.
#pragma once

#include <cstdint>
#include <string>

// "%dMB" below 1,024 MB, else gigabytes with three decimals and "GB".
std::string GetSizeString(uint64_t sectors);
// The file-system name of a copy item's volume type.
const char* CloneFileSystemName(uint16_t volumeType);
// The log's block for one partition item.
std::string ClonePartitionLogText(int index, uint16_t volumeType, uint64_t sectors);
std::string CloneSummaryFrom(int sourceDisk);
std::string CloneSummaryTo(int targetDisk);
std::string CloneTotalLabel(uint32_t percent);
std::string CloneCurrentLabel(uint32_t percent);

constexpr const char* kCloneTotalFirstText = "Total progress:";
constexpr const char* kCloneCurrentFirstText = "Current operation progress:";
constexpr const char* kCloneInitializeText = "Initialize!";
constexpr const char* kCloneStartText = "Cloning disk";
constexpr const char* kCloneSuccessText =
    "The operation is successfully completed!\nPlease remove the source disk after shutdown to boot from the "
    "destination disk.";
constexpr const char* kCloneCancelTitle = "Cancel operation";
constexpr const char* kCloneCancelText = "Are you sure you want to cancel this operation?";
// A run the engine cancelled without the page asking it to.
constexpr const char* kCloneEngineCancelledText = "The operation was cancelled before it finished.";
constexpr const char* kCloneNoManagerText =
    "The device manager module could not be opened. The destination disk was not changed.";
constexpr const char* kClonePartitionFailedText =
    "Partition %d could not be created on the destination disk. The destination disk was not changed.";
