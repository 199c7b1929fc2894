// Finds a partition of a disk (a device node or a disk-image file) by its first
// sector, with libblkid's partition table reader, and tells its file system.
#pragma once

#include <cstdint>
#include <string>

struct LocatedPartition {
    uint64_t start = 0;     // sectors of 512 bytes
    uint64_t sectors = 0;
    int number = 0;         // the partition's number in the table (1 for sda1)
    std::string fileSystem; // libblkid's TYPE: "vfat", "ntfs", ... ; empty when none
};

class PartitionLocator {
public:
    // False when the disk cannot be read or has no partition starting at firstSector.
    static bool Find(const std::string& diskPath, uint64_t firstSector, LocatedPartition& out);
    // The file system of the bytes of path from offset for size bytes; empty when none.
    static std::string FileSystemAt(const std::string& path, uint64_t offset, uint64_t size);
};
