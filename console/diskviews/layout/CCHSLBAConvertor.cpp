#include "CCHSLBAConvertor.h"

#include "LayoutAssert.h"

namespace {
const char kConvertorSource[] = "CHSLBAConvertor";
}

void CCHSLBAConvertor::LBAToCHS(uint32_t u32TrackPerCylinder, uint32_t u32SectorPerTrack, int64_t s64LBASector,
                                int64_t& cylinder, uint32_t& head, uint32_t& sector)
{
    cylinder = 0;
    head = 0;
    sector = 0;
    LAYOUT_ASSERT(s64LBASector >= 0, "s64LBASector >= 0", kConvertorSource);
    LAYOUT_ASSERT(0 != u32TrackPerCylinder, "0 != u32TrackPerCylinder", kConvertorSource);
    LAYOUT_ASSERT(0 != u32SectorPerTrack, "0 != u32SectorPerTrack", kConvertorSource);
    // The cylinder's sector count is formed in 32 bits, as the disk reports it.
    const uint32_t perCylinder = u32TrackPerCylinder * u32SectorPerTrack;
    cylinder = s64LBASector / static_cast<int64_t>(perCylinder);
    head = static_cast<uint32_t>((s64LBASector / u32SectorPerTrack) % u32TrackPerCylinder);
    sector = static_cast<uint32_t>(s64LBASector % u32SectorPerTrack) + 1;
}

void CCHSLBAConvertor::CHSToLBA(uint32_t u32TrackPerCylinder, uint32_t u32SectorPerTrack, int64_t cylinder,
                                uint32_t head, uint32_t u32Sector, int64_t& lba)
{
    LAYOUT_ASSERT(u32Sector > 0, "u32Sector > 0", kConvertorSource);
    const uint32_t perCylinder = u32TrackPerCylinder * u32SectorPerTrack;
    lba = static_cast<int64_t>(u32Sector - 1) + static_cast<int64_t>(head) * u32SectorPerTrack +
          cylinder * static_cast<int64_t>(perCylinder);
}

bool CCHSLBAConvertor::IsFullCylinderPartitionStartSector(uint32_t head, uint32_t sector)
{
    return head == 0 && sector == 1;
}

bool CCHSLBAConvertor::IsFullCylinderPartitionEndSector(uint32_t tracksPerCylinder, uint32_t sectorsPerTrack,
                                                        uint32_t head, uint32_t sector)
{
    return head == tracksPerCylinder - 1 && sector == sectorsPerTrack;
}

int64_t CCHSLBAConvertor::GetAdjustedOuterFullCylinderPartitionStartSector(uint32_t h, uint32_t s,
                                                                            int64_t startSector)
{
    LAYOUT_ASSERT(startSector >= 0, "startSector >= 0", kConvertorSource);
    int64_t cylinder;
    uint32_t head, sector;
    LBAToCHS(h, s, startSector, cylinder, head, sector);
    if (IsFullCylinderPartitionStartSector(head, sector))
        return startSector;
    int64_t lba;
    CHSToLBA(h, s, cylinder, 0, 1, lba);
    return lba;
}

int64_t CCHSLBAConvertor::GetAdjustedInnerFullCylinderPartitionStartSector(uint32_t h, uint32_t s,
                                                                            int64_t startSector)
{
    LAYOUT_ASSERT(startSector >= 0, "startSector >= 0", kConvertorSource);
    int64_t cylinder;
    uint32_t head, sector;
    LBAToCHS(h, s, startSector, cylinder, head, sector);
    if (IsFullCylinderPartitionStartSector(head, sector))
        return startSector;
    int64_t lba;
    CHSToLBA(h, s, cylinder + 1, 0, 1, lba);
    return lba;
}

int64_t CCHSLBAConvertor::GetAdjustedOuterFullCylinderPartitionEndSector(uint32_t h, uint32_t s, int64_t endSector)
{
    LAYOUT_ASSERT(endSector >= 0, "endSector >= 0", kConvertorSource);
    int64_t cylinder;
    uint32_t head, sector;
    LBAToCHS(h, s, endSector, cylinder, head, sector);
    if (IsFullCylinderPartitionEndSector(h, s, head, sector))
        return endSector;
    int64_t lba;
    CHSToLBA(h, s, cylinder, h - 1, s, lba);
    return lba;
}

int64_t CCHSLBAConvertor::GetAdjustedInnerFullCylinderPartitionEndSector(uint32_t h, uint32_t s, int64_t endSector)
{
    LAYOUT_ASSERT(endSector >= 0, "endSector >= 0", kConvertorSource);
    int64_t cylinder;
    uint32_t head, sector;
    LBAToCHS(h, s, endSector, cylinder, head, sector);
    if (IsFullCylinderPartitionEndSector(h, s, head, sector))
        return endSector;
    if (cylinder == 0)
        return -1;
    int64_t lba;
    CHSToLBA(h, s, cylinder - 1, h - 1, s, lba);
    return lba;
}
