// What the system's outside tools and its own file-system readers say about a disk
// image, independently of the device manager: the partition table as sfdisk reads it,
// file systems as blkid probes them, the extended boot records' offsets and the
// used sectors the FAT and NTFS readers count.
#pragma once

#include <map>
#include <string>
#include <vector>

struct SfdiskPartition {
    unsigned number = 0; // 1-4 primary or extended, 5 and up logical
    unsigned long long start = 0, size = 0;
    unsigned type = 0;
    bool bootable = false;
};

// The partitions of "sfdisk --json", extended container included.
std::vector<SfdiskPartition> SfdiskPartitions(const std::string& image);
// One value of "blkid -p" for the volume at a sector ("TYPE", "VERSION", "LABEL",
// "UUID"); empty when blkid finds none.
std::string Blkid(const std::string& image, unsigned long long sector, const char* tag);
// Each logical partition's first sector mapped to its distance from its own extended
// boot record, read from the chain of records.
std::map<unsigned long long, unsigned long long> LogicalOffsets(const std::string& image);
// Used sectors of the volume at start as the system's reader for its kind counts them:
// the sectors before the cluster area and every cluster in use. 0 when no reader
// takes the volume.
unsigned long long ReaderUsedSectors(const std::string& image, unsigned long long start, unsigned long long count);
// Sectors per cluster from the volume's boot sector.
unsigned BootSectorSectorsPerCluster(const std::string& image, unsigned long long start);
// Hidden sectors from the volume's boot sector (u32 at byte 28).
unsigned long long BootSectorHiddenSectors(const std::string& image, unsigned long long start);
