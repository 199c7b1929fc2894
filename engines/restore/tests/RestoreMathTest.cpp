// The progress arithmetic, the result rewrite and the target lookup, by tables.
#include <gtest/gtest.h>

#include "RestoreProgressMath.h"
#include "RestoreTargetLookup.h"

namespace {
struct RewriteCase {
    uint32_t result;
    bool clone;
    bool discVersion;
    uint32_t expected;
};

TEST(RestoreResultRewrite, MarksCopierFailuresAndTurnsDiscReadsIntoKind106)
{
    const RewriteCase cases[] = {
        {0, false, false, 0},
        {0x00450107, false, false, 0x00450107},     // the engine's own code stays
        {0xF0000002, false, false, 0xFF000002},     // a marked copier result
        {0xF0000002, true, false, 0xF0000002},      // not in a clone
        {0x1000300C, false, false, 0x1000300C},     // the copier's own 0x300C
        {3, false, true, 0x00525106},
        {421, false, true, 0x00525106},
        {3, false, false, 3},
        {4, false, true, 4},
    };
    for (const RewriteCase& c : cases)
        EXPECT_EQ(RewriteRestoreResult(c.result, c.clone, c.discVersion), c.expected) << std::hex << c.result;
}

TEST(RestoreProgressMath, OverallPercentAndTheHoldOnTheLastOperation)
{
    struct Case {
        uint32_t index, count, current, overall, sectorOverall, sectorCurrent;
    } cases[] = {
        {0, 1, 50, 50, 50, 50},
        {0, 2, 100, 50, 50, 100},
        {1, 2, 100, 100, 97, 100},  // last of two at 100: held at 97 until the run ends
        {1, 2, 140, 120, 97, 100},  // the sector-level refresh caps the current percent
        {1, 3, 30, 43, 43, 30},
        {0, 0, 30, 0, 0, 30},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RestoreOverallPercent(c.index, c.count, c.current), c.overall) << c.index << "/" << c.count;
        const SectorLevelPercents p = RestoreSectorLevelPercents(c.index, c.count, c.current);
        EXPECT_EQ(p.overall, c.sectorOverall) << c.index << "/" << c.count;
        EXPECT_EQ(p.current, c.sectorCurrent);
    }
    EXPECT_EQ(RestoreSectorPercent(0, 100), 2u);
    EXPECT_EQ(RestoreSectorPercent(50, 100), 49u);
    EXPECT_EQ(RestoreSectorPercent(300, 100), 97u);
    EXPECT_EQ(RestoreSectorPercent(5, 0), 97u);
}

_KS_RESTORE_TARGET Target(uint64_t first, uint64_t count, uint64_t hidden)
{
    _KS_RESTORE_TARGET t{};
    t.FirstSector = first;
    t.SectorCount = count;
    t.HiddenSectors = hidden;
    return t;
}

TEST(RestoreTargetLookup, EachRuleOverEveryPartitionBeforeTheNext)
{
    const std::vector<RestorePartition> disk = {
        {2048, 4096, 2048}, {6200, 8000, 63}, {6144, 8000, 6144}, {20000, 1000, 63}};
    struct Case {
        _KS_RESTORE_TARGET target;
        long expected;
    } cases[] = {
        {Target(6144, 8000, 6144), 2},  // exact, though a neighbour lies 56 sectors away first
        {Target(19947, 1053, 10), 3},   // same table record and end, other hidden sectors
        {Target(2058, 4096, 2058), 0},  // 10 sectors from the recorded first sector
        {Target(50000, 10, 0), -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindRestoreTarget(disk, c.target), c.expected) << c.target.FirstSector;
}
}

#include "FatLayout.h"
#include "LittleEndian.h"

namespace {
TEST(RestoreFatLayout, TheBootSectorOfAGrownVolumeKeepsOneTotalField)
{
    struct Case {
        uint8_t fileSystem;
        uint64_t sectors;
        uint16_t small;   // u16 at 19 after the patch
        uint32_t large;   // u32 at 32 after the patch
    } cases[] = {
        {KS_FS_FAT16, 60000, 60000, 0},      // the u32 field held an old count
        {KS_FS_FAT16, 140000, 0, 140000},    // the u16 field held an old count
        {KS_FS_FAT32, 79632, 0, 79632},
    };
    for (const Case& c : cases) {
        unsigned char boot[512] = {};
        StoreLE16(boot + 19, 0x1234);
        StoreLE32(boot + 32, 0x12345678);
        PatchFatBootSector(boot, c.fileSystem, c.sectors, 77);
        EXPECT_EQ(LoadLE16(boot + 19), c.small) << c.sectors;
        EXPECT_EQ(LoadLE32(boot + 32), c.large) << c.sectors;
        EXPECT_EQ(c.fileSystem == KS_FS_FAT32 ? LoadLE32(boot + 36) : LoadLE16(boot + 22), 77u);
    }
    EXPECT_EQ(FatClusterSizeFor(KS_FS_FAT16, 140000), 4u);
    EXPECT_EQ(FatClusterSizeFor(KS_FS_FAT32, 79632), 1u);
    EXPECT_EQ(FatClusterSizeFor(KS_FS_FAT32, 20000000), 16u);
    EXPECT_EQ(FatClusterSizeFor(KS_FS_FAT16, 1000), 1u);
}
}
