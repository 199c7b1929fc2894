#include <algorithm>

#include "Clusta.h"
#include "FatMetadataSize.h"

// The data of the old volume is what lies beyond its metadata; the old metadata is
// taken at its smallest possible size, so the data is never under-counted. When
// clusters grow, each old cluster (a file's tail, a directory) may need a whole new
// cluster of its own; when they shrink, each splits exactly. The new metadata is taken
// at its largest, with room for aligning the data area to clusters.
extern "C" uint32_t GetFatTotalUsedSector(uint32_t initialFileSystem, uint32_t newFileSystem,
                                          uint32_t initialSectors, uint32_t newSectors,
                                          uint32_t initialSectorsPerCluster, uint32_t newSectorsPerCluster,
                                          uint32_t initialUsedSectors, uint32_t extraReserved)
{
    if (initialFileSystem > 2 || newFileSystem > 2 || initialSectorsPerCluster == 0 || newSectorsPerCluster == 0)
        return initialUsedSectors;
    const uint64_t oldCluster = initialSectorsPerCluster;
    const uint64_t newCluster = newSectorsPerCluster;
    const uint64_t oldMetadata = extraReserved + FixedRootSectors(initialFileSystem) +
                                 kFatCount * SmallestTableSectors(initialFileSystem, initialSectors, extraReserved,
                                                                  oldCluster);
    const uint64_t oldData = initialUsedSectors > oldMetadata ? initialUsedSectors - oldMetadata : 0;
    uint64_t clusters = (oldData + oldCluster - 1) / oldCluster;
    // A fixed root becomes a cluster chain on FAT32.
    if (newFileSystem == 2 && initialFileSystem != 2)
        clusters += (kFixedRootSectors + oldCluster - 1) / oldCluster;
    const uint64_t newData = clusters * std::max(oldCluster, newCluster);
    uint64_t reserved = extraReserved;
    if (newFileSystem == 2)
        reserved = std::max<uint64_t>(reserved, kFat32ReservedSectors);
    reserved = std::max<uint64_t>(reserved, 1);
    // Formatters align the first data cluster (and pad a fixed root) to whole clusters.
    const uint64_t alignment = 2 * newCluster;
    const uint64_t newMetadata = reserved + FixedRootSectors(newFileSystem) +
                                 kFatCount * LargestTableSectors(newFileSystem, newSectors, newCluster) + alignment;
    const uint64_t total = newMetadata + newData;
    return total > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(total);
}
