#include "CloneVolumeFloor.h"

#include <algorithm>

#include "Clusta.h"
#include "FatMetadataSize.h"
#include "PartitionRules.h"
#include "vessmar/FileSystemType.h"

namespace {

// The copiers tell the FAT variant from the cluster count by the on-disk rule, whose
// line lies a few clusters above the smallest count of the layout window (FAT32:
// 65,525 against 65,520); the margin keeps a floor volume clear of it.
constexpr uint64_t kVariantLineMargin = 16;
constexpr uint64_t kFat16Reserved = 1;

uint64_t FatFloor(const _KS_PARTITION_INFO& p)
{
    const auto fs = static_cast<enumFILE_SYSTEM_TYPE>(p.FileSystemType);
    const uint32_t variant = p.FileSystemType; // 1 FAT16, 2 FAT32, as the FAT arithmetic numbers them
    const uint64_t cluster = p.SectorsPerCluster != 0 ? p.SectorsPerCluster : 1;
    const uint64_t reserved = fs == FILE_SYSTEM_FAT32 ? kFat32ReservedSectors : kFat16Reserved;
    const uint64_t clusters = FatClusterCountWindow(fs).smallest + kVariantLineMargin;
    const uint64_t data = clusters * cluster;
    // Tables for every cluster, a fixed root where the variant has one, and the data
    // area aligned to a cluster.
    const uint64_t variantFloor =
        reserved + FixedRootSectors(variant) + kFatCount * LargestTableSectors(variant, data, cluster) + data + cluster;
    const uint64_t smallest = fs == FILE_SYSTEM_FAT32 ? kFat32MinSectors : kFat16MinSectors;
    uint64_t floor = std::max(variantFloor, smallest);
    // A volume already below its variant's line cannot be resized at all: it keeps
    // its size.
    const uint64_t size = p.SectorCount;
    if (size != 0 && floor > size)
        floor = size;
    // The data re-laid on a volume of that size, with its own cluster size.
    // Copied out of the packed record: std::min binds references.
    const uint64_t sectorCount = p.SectorCount, usedSectors = p.UsedSectors;
    const uint64_t sourceSectors = std::min<uint64_t>(sectorCount, UINT32_MAX);
    const uint64_t used = std::min<uint64_t>(usedSectors, UINT32_MAX);
    floor = std::max<uint64_t>(floor, GetFatTotalUsedSector(variant, variant, static_cast<uint32_t>(sourceSectors),
                                                            static_cast<uint32_t>(std::min<uint64_t>(floor, UINT32_MAX)),
                                                            static_cast<uint32_t>(cluster), static_cast<uint32_t>(cluster),
                                                            static_cast<uint32_t>(used), static_cast<uint32_t>(reserved)));
    return std::max(floor, used);
}

} // namespace

uint64_t CloneVolumeFloor(const _KS_PARTITION_INFO& p)
{
    switch (p.FileSystemType) {
    case FILE_SYSTEM_FAT16:
    case FILE_SYSTEM_FAT32:
        return FatFloor(p);
    case FILE_SYSTEM_NTFS: {
        const uint64_t used = p.UsedSectors;
        return std::max<uint64_t>(used, kNtfsMinSectors);
    }
    default:
        return 0;
    }
}
