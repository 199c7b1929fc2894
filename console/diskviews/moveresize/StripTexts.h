// The texts of the move/resize strip's blocks: tooltips, the improper-disk kind and
// title, the name free space goes by. No GTK here.
#pragma once

#include <string>

// A disk whose table the strip cannot lay out: its free space is drawn as such.
enum class ImproperDiskKind { None, Gpt, Dynamic, Bad };

// The kind a disk shows; when several tests hold, the later one wins (bad over dynamic
// over GPT).
ImproperDiskKind ImproperKindOf(bool gpt, bool dynamic, bool bad);
// "GPT", "Dynamic", "Bad"; empty for None.
std::string ImproperKindText(ImproperDiskKind kind);
// "GPT Disk", "Dynamic Disk", "Bad Disk"; empty for None.
std::string ImproperDiskTitle(ImproperDiskKind kind);

extern const char kUnallocatedName[];  // "Unallocated"

// "Unallocated\nSize: 12 MB": the size rounded to whole MB.
std::string UnallocatedTooltip(double sizeMB);
// "NTFS\nC: DATA\nSize: 512 MB\nUsed size: 100 MB".
std::string PartitionTooltip(const std::string& fileSystemName, const std::string& driveText,
                             const std::string& label, double sizeMB, unsigned long long usedMB);
// "C:" for a drive letter, "*:" when the volume has none.
std::string DriveText(char letter);
