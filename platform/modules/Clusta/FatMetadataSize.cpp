#include "FatMetadataSize.h"

uint64_t FatTableBytes(uint32_t variant, uint64_t entries)
{
    if (variant == 0)
        return (entries * 3 + 1) / 2;
    return entries * (variant == 1 ? 2 : 4);
}

uint64_t FixedRootSectors(uint32_t variant)
{
    return variant == 2 ? 0 : kFixedRootSectors;
}

namespace {
uint64_t TableSectorsFor(uint32_t variant, uint64_t clusters)
{
    return (FatTableBytes(variant, clusters + 2) + 511) / 512;
}
}  // namespace

uint64_t SmallestTableSectors(uint32_t variant, uint64_t sectors, uint64_t reserved, uint64_t sectorsPerCluster)
{
    const uint64_t fixed = reserved + FixedRootSectors(variant);
    if (sectorsPerCluster == 0 || sectors <= fixed)
        return 0;
    // A table of t sectors leaves (sectors - fixed - 2t) / cluster clusters, and must
    // hold them all: find the smallest t that does.
    uint64_t low = 0;
    uint64_t high = TableSectorsFor(variant, (sectors - fixed) / sectorsPerCluster);
    while (low < high) {
        const uint64_t middle = (low + high) / 2;
        const uint64_t room = sectors - fixed;
        const uint64_t clusters = room > kFatCount * middle ? (room - kFatCount * middle) / sectorsPerCluster : 0;
        if (TableSectorsFor(variant, clusters) <= middle)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

uint64_t LargestTableSectors(uint32_t variant, uint64_t sectors, uint64_t sectorsPerCluster)
{
    if (sectorsPerCluster == 0)
        return 0;
    return TableSectorsFor(variant, sectors / sectorsPerCluster);
}
