// Where a partition lies: a disk of the disk map and a stretch of its sectors. The
// copiers (Stretta, Mirrane, Brasket) take their target this way.
#pragma once

#include <cstdint>

struct KSPartitionPlace {
    unsigned disk;          // the N of "\\.\PhysicalDriveN"
    uint64_t firstSector;   // first sector of the partition on that disk
    uint64_t sectorCount;   // its length in 512-byte sectors
};

// What a copier takes from a volume: the device that reads it, the clusters in use
// (bit i of byte i / 8 from the least significant bit, counted from the data area's
// first sector) and its geometry. Sectors below dataStart are copied whole.
class IDevice;
struct KSVolumeSource {
    IDevice* device;
    const uint8_t* bitmap;
    uint64_t bitmapBytes;
    uint32_t sectorsPerCluster;
    uint64_t dataStart;      // first sector of cluster 0
    uint64_t volumeSectors;  // sectors of the volume as it is
};
