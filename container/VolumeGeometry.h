// Where a volume's system area ends and how many clusters follow it.
#pragma once

#include <cstdint>

#include "KSVolume.h"

namespace VolumeGeometry {

// Sectors 0 up to this one (excluded) are the system area: reserved sectors, the
// FAT copies and the root directory. Empty for NTFS.
inline uint64_t SystemAreaEnd(const _KS_VOLUME& v)
{
    return uint64_t(v.ReservedSectors) + uint64_t(v.SectorsPerFat) * v.NumberOfFats + v.RootDirSectors;
}

// Whole clusters after the system area (rounded down), 0 when there are none.
inline uint64_t ClusterCount(const _KS_VOLUME& v)
{
    const uint64_t system = SystemAreaEnd(v);
    if (v.SectorsPerCluster == 0 || v.TotalSectors <= system)
        return 0;
    return (v.TotalSectors - system) / v.SectorsPerCluster;
}

// Clusters counting a last partial cluster, as the volume check does.
inline uint64_t ClusterCountRoundedUp(const _KS_VOLUME& v)
{
    const uint64_t system = SystemAreaEnd(v);
    if (v.SectorsPerCluster == 0 || v.TotalSectors <= system)
        return 0;
    return (v.TotalSectors - system + v.SectorsPerCluster - 1) / v.SectorsPerCluster;
}

inline uint64_t ClusterBytes(const _KS_VOLUME& v) { return uint64_t(v.SectorsPerCluster) * v.BytesPerSector; }

// The largest block a set may hold, which also bounds a cluster: a damaged record
// claiming more must not size a buffer.
constexpr uint64_t kLargestBlockBytes = 0x200000;

} // namespace VolumeGeometry
