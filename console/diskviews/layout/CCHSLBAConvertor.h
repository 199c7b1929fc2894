// Conversion between linear sector numbers and cylinder/head/sector, and the roundings
// that put a partition's first or last sector on a cylinder boundary. H is the head
// count (tracks per cylinder), S the sectors per track; sectors count from 1.
#pragma once

#include <cstdint>

class CCHSLBAConvertor {
public:
    static void LBAToCHS(uint32_t u32TrackPerCylinder, uint32_t u32SectorPerTrack, int64_t s64LBASector,
                         int64_t& cylinder, uint32_t& head, uint32_t& sector);
    static void CHSToLBA(uint32_t u32TrackPerCylinder, uint32_t u32SectorPerTrack, int64_t cylinder,
                         uint32_t head, uint32_t u32Sector, int64_t& lba);
    static bool IsFullCylinderPartitionStartSector(uint32_t head, uint32_t sector);
    static bool IsFullCylinderPartitionEndSector(uint32_t tracksPerCylinder, uint32_t sectorsPerTrack,
                                                 uint32_t head, uint32_t sector);
    // Start rounded down to its own cylinder's first sector.
    static int64_t GetAdjustedOuterFullCylinderPartitionStartSector(uint32_t h, uint32_t s, int64_t startSector);
    // Start rounded up to the next cylinder's first sector.
    static int64_t GetAdjustedInnerFullCylinderPartitionStartSector(uint32_t h, uint32_t s, int64_t startSector);
    // End rounded up to its own cylinder's last sector.
    static int64_t GetAdjustedOuterFullCylinderPartitionEndSector(uint32_t h, uint32_t s, int64_t endSector);
    // End rounded down to the previous cylinder's last sector; -1 when there is none.
    static int64_t GetAdjustedInnerFullCylinderPartitionEndSector(uint32_t h, uint32_t s, int64_t endSector);
};
