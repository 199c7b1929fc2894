#include <gtest/gtest.h>

#include "CCHSLBAConvertor.h"
#include "CPartitionCalculator.h"

namespace {
const uint32_t H = 255, S = 63;

TEST(CCHSLBAConvertorTest, ConvertsBothWays)
{
    struct Case { int64_t lba; int64_t cylinder; uint32_t head, sector; };
    const Case cases[] = {{0, 0, 0, 1}, {62, 0, 0, 63}, {63, 0, 1, 1}, {16064, 0, 254, 63}, {16065, 1, 0, 1},
                          {20000, 1, 62, 30}};
    for (const Case& c : cases) {
        int64_t cylinder; uint32_t head, sector;
        CCHSLBAConvertor::LBAToCHS(H, S, c.lba, cylinder, head, sector);
        EXPECT_EQ(c.cylinder, cylinder) << c.lba;
        EXPECT_EQ(c.head, head) << c.lba;
        EXPECT_EQ(c.sector, sector) << c.lba;
        int64_t back = -1;
        CCHSLBAConvertor::CHSToLBA(H, S, cylinder, head, sector, back);
        EXPECT_EQ(c.lba, back);
    }
}

TEST(CCHSLBAConvertorTest, RoundsToCylinderBoundaries)
{
    enum Kind { OuterStart, InnerStart, OuterEnd, InnerEnd };
    struct Case { Kind kind; int64_t in, out; };
    const Case cases[] = {
        {OuterStart, 63, 0},        {OuterStart, 16065, 16065}, {InnerStart, 63, 16065},  {InnerStart, 0, 0},
        {OuterEnd, 20000, 32129},   {OuterEnd, 16064, 16064},   {InnerEnd, 20000, 16064}, {InnerEnd, 16000, -1},
        {InnerEnd, 16064, 16064},   {InnerEnd, 32129, 32129},
    };
    for (const Case& c : cases) {
        int64_t got = 0;
        switch (c.kind) {
        case OuterStart: got = CCHSLBAConvertor::GetAdjustedOuterFullCylinderPartitionStartSector(H, S, c.in); break;
        case InnerStart: got = CCHSLBAConvertor::GetAdjustedInnerFullCylinderPartitionStartSector(H, S, c.in); break;
        case OuterEnd: got = CCHSLBAConvertor::GetAdjustedOuterFullCylinderPartitionEndSector(H, S, c.in); break;
        case InnerEnd: got = CCHSLBAConvertor::GetAdjustedInnerFullCylinderPartitionEndSector(H, S, c.in); break;
        }
        EXPECT_EQ(c.out, got) << "kind " << c.kind << " of " << c.in;
    }
    EXPECT_TRUE(CCHSLBAConvertor::IsFullCylinderPartitionStartSector(0, 1));
    EXPECT_TRUE(CCHSLBAConvertor::IsFullCylinderPartitionEndSector(H, S, 254, 63));
    EXPECT_FALSE(CCHSLBAConvertor::IsFullCylinderPartitionEndSector(H, S, 254, 62));
}

TEST(CCHSLBAConvertorDeathTest, BrokenContractsStopTheProgram)
{
    int64_t cylinder, lba;
    uint32_t head, sector;
    EXPECT_DEATH(CCHSLBAConvertor::LBAToCHS(H, S, -1, cylinder, head, sector), "s64LBASector >= 0.*CHSLBAConvertor");
    EXPECT_DEATH(CCHSLBAConvertor::LBAToCHS(0, S, 5, cylinder, head, sector), "0 != u32TrackPerCylinder");
    EXPECT_DEATH(CCHSLBAConvertor::LBAToCHS(H, 0, 5, cylinder, head, sector), "0 != u32SectorPerTrack");
    EXPECT_DEATH(CCHSLBAConvertor::CHSToLBA(H, S, 0, 0, 0, lba), "u32Sector > 0");
    EXPECT_DEATH(CCHSLBAConvertor::GetAdjustedInnerFullCylinderPartitionStartSector(H, S, -5), "startSector >= 0");
    EXPECT_DEATH(CCHSLBAConvertor::GetAdjustedOuterFullCylinderPartitionEndSector(H, S, -5), "endSector >= 0");
    CPartitionCalculator calculator(H, S);
    enumFILE_SYSTEM_TYPE fs = FILE_SYSTEM_FAT16;
    uint32_t cluster = 0;
    EXPECT_DEATH(calculator.GetPartitionDefaultClusterSize(fs, cluster), "u32SectorPerCluster.*PartitionCalculator");
}
}  // namespace
