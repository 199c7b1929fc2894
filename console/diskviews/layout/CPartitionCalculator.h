// Cylinder arithmetic with one disk's geometry, the NTFS size limits in cylinders, the
// default NTFS cluster size and the estimates of how small an NTFS partition may get.
#pragma once

#include <cstdint>

#include "vessmar/FileSystemType.h"

class IManagerItem;

class CPartitionCalculator {
public:
    CPartitionCalculator();
    CPartitionCalculator(uint32_t tracksPerCylinder, uint32_t sectorsPerTrack);
    explicit CPartitionCalculator(uint32_t sectorCount);
    ~CPartitionCalculator() {}

    void LBAToCHS(int64_t lba, int64_t& cylinder, uint32_t& head, uint32_t& sector) const;
    void CHSToLBA(int64_t cylinder, uint32_t head, uint32_t sector, int64_t& lba) const;
    // Cylinders needed to hold the sectors (rounded up).
    uint32_t SectorToCylinder(uint32_t sectors) const;
    void CalcNTFSLimit(enumFILE_SYSTEM_TYPE fs, uint32_t& minCylinders, uint32_t& maxCylinders) const;
    void CalcLimitByFileSystem(enumFILE_SYSTEM_TYPE& fs, uint32_t& minCylinders, uint32_t& maxCylinders) const;
    void CalcClusterSize(enumFILE_SYSTEM_TYPE& fs, uint32_t& sectorsPerCluster) const;
    // FAT: the caller's non-zero cluster size stays and fs becomes current; NTFS: 8.
    void GetPartitionDefaultClusterSize(enumFILE_SYSTEM_TYPE& fs, uint32_t& u32SectorPerCluster);
    enumFILE_SYSTEM_TYPE GetCurrentFileSystemType() const;
    // NTFS only: used sectors capped at the sector count; others leave out untouched.
    bool EstimateUsedSpace(IManagerItem* item, enumFILE_SYSTEM_TYPE fs, int64_t& usedSectors) const;
    bool EstimatePartitionMIN(IManagerItem* item, enumFILE_SYSTEM_TYPE& fs, uint64_t& minSectors) const;
    bool EstimatePartitionMINCylinders(IManagerItem* item, enumFILE_SYSTEM_TYPE& fs, uint32_t& minCylinders) const;
    // A primary partition that still fits when it must start one track in.
    bool IsAllowMoveResizeToZeroCylinder(IManagerItem* item) const;

private:
    uint32_t SectorsPerCylinder() const { return m_tracksPerCylinder * m_sectorsPerTrack; }

    uint32_t m_tracksPerCylinder;
    uint32_t m_sectorsPerTrack;
    uint32_t m_sectorCount;  // kept as given; no operation reads it
    enumFILE_SYSTEM_TYPE m_currentFileSystem;
};
