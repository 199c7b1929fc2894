#include "CloneLayoutPlan.h"

#include <gtest/gtest.h>

#include "CDestDiskAlloction.h"
#include "ClonePlanCheck.h"
#include "CloneRecordsBuilder.h"
#include "CloneVolumeFloor.h"

namespace {

CloneLayoutInput Input(uint64_t sourceSectors, uint64_t targetSectors, std::vector<_KS_PARTITION_INFO> parts,
                       bool bad = false)
{
    CloneLayoutInput in;
    in.sourceDisk = 0;
    in.targetDisk = 1;
    in.source.disk = TestDisk(sourceSectors);
    in.source.partitions = std::move(parts);
    in.target = TestDisk(targetSectors);
    in.sourceBad = bad;
    in.targetTracksPerCylinder = 255;
    in.targetSectorsPerTrack = 63;
    return in;
}

// What every plan must be: partitions in ascending order, apart, inside the disk, and
// each one with room for what is copied into it.
void ExpectSound(const CloneLayoutPlan& plan, uint64_t targetSectors)
{
    ASSERT_EQ(plan.layout.size(), plan.restoreItems.size());
    ASSERT_EQ(plan.layout.size(), plan.addParams.size());
    for (size_t i = 0; i < plan.layout.size(); ++i) {
        const AddPartitionParam& a = plan.layout[i].addParam;
        SCOPED_TRACE(i);
        EXPECT_LE(Val(a.FirstSector), Val(a.LastSector));
        EXPECT_LT(Val(a.LastSector), targetSectors);
        if (i > 0) {
            EXPECT_LT(Val(plan.layout[i - 1].addParam.LastSector), Val(a.FirstSector));
        }
        EXPECT_GE(Val(plan.restoreItems[i].SectorCount), CloneSectorsNeeded(plan, i));
    }
    EXPECT_TRUE(ClonePlanFits(plan, targetSectors));
}

uint64_t Size(const TagRSPartitionInfo& p)
{
    return p.addParam.LastSector - p.addParam.FirstSector + 1;
}

// The fixture disk's kinds: an active primary FAT16, a primary NTFS, a logical FAT32
// (of one-sector clusters, so that it can shrink to any FAT32 size) and a logical 0x83
// partition.
std::vector<_KS_PARTITION_INFO> MixedParts()
{
    return {
        TestPart(FILE_SYSTEM_FAT16, 0x06, 63, 16065 * 10 - 63, 40000, true, 63, kCloneFlagActive, 4),
        TestPart(FILE_SYSTEM_NTFS, 0x07, 16065 * 10, 16065 * 20, 90000, true, 0, 0, 8),
        TestPart(FILE_SYSTEM_OTHER, 0x00, 16065 * 30, 16065, 0, true),  // free space
        TestPart(FILE_SYSTEM_FAT32, 0x0B, 16065 * 31 + 63, 16065 * 30 - 63, 120000, false, 63, 0, 1),
        TestPart(FILE_SYSTEM_OTHER, 0x83, 16065 * 61 + 63, 16065 * 4 - 63, 0, false, 63, 0, 0),
    };
}

TEST(CloneLayoutPlan, ALargerTargetKeepsEverySlotAndSize)
{
    const CloneLayoutPlan plan = PlanCloneLayout(Input(16065 * 70, 16065 * 100, MixedParts()));
    ASSERT_FALSE(plan.relayout);
    ASSERT_EQ(plan.layout.size(), 4u);
    const std::vector<_KS_PARTITION_INFO> parts = MixedParts();
    const size_t sourceOf[] = {0, 1, 3, 4};
    for (size_t i = 0; i < 4; ++i) {
        const _KS_PARTITION_INFO& p = parts[sourceOf[i]];
        EXPECT_EQ(Val(plan.layout[i].addParam.FirstSector), Val(p.StartSector - p.HiddenSectors));
        EXPECT_EQ(Val(plan.layout[i].addParam.LastSector), Val(p.StartSector + p.SectorCount - 1));
        EXPECT_EQ(Val(plan.layout[i].u32PartitionType), Val(p.PartitionType));
        EXPECT_EQ(Val(plan.sourceItems[i].FirstSector), Val(p.StartSector));
        EXPECT_EQ(Val(plan.sourceItems[i].SectorCount), Val(p.SectorCount));
    }
    // The first primary's slot begins at sector 0: its copy begins a track in.
    EXPECT_EQ(Val(plan.restoreItems[0].FirstSector), 63u);
    EXPECT_EQ(Val(plan.restoreItems[0].SectorCount), 16065u * 10 - 63);
    EXPECT_EQ(Val(plan.restoreItems[0].Active), 1);
    EXPECT_EQ(Val(plan.sourceItems[0].VolumeType), 2);
    EXPECT_EQ(Val(plan.sourceItems[1].VolumeType), 4);
    EXPECT_EQ(Val(plan.sourceItems[2].VolumeType), 3);
    EXPECT_EQ(Val(plan.sourceItems[3].VolumeType), 0xFF); // 0x83 is not a type the console knows
    EXPECT_EQ(Val(plan.addParams[3].PartitionType), 0x83u);
    EXPECT_EQ(Val(plan.addParams[0].PartitionType), 0u);   // the manager picks FAT and NTFS ids
    ExpectSound(plan, 16065 * 100);
}

TEST(CloneLayoutPlan, ALogicalPartitionKeepsItsDataPlaceWhateverGapPrecedesIt)
{
    // The second logical partition's record lies one sector before its data; the slot
    // planned for it begins a track before the data, where the device manager puts
    // the data of a logical partition.
    const CloneLayoutPlan plan = PlanCloneLayout(Input(273105, 321300, {
        TestPart(FILE_SYSTEM_FAT32, 0x0B, 144648, 96327, 5000, false, 63, 0, 1),
        TestPart(FILE_SYSTEM_OTHER, 0x83, 241038, 16002, 0, false, 1, 0, 0),
        TestPart(FILE_SYSTEM_OTHER, 0x83, 257040, 1000, 0, false, 1, 0, 0),
    }));
    ASSERT_FALSE(plan.relayout);
    ASSERT_EQ(plan.layout.size(), 3u);
    EXPECT_EQ(Val(plan.layout[0].addParam.FirstSector), 144585u);
    EXPECT_EQ(Val(plan.layout[1].addParam.FirstSector), 241038u - 63);
    EXPECT_EQ(Val(plan.layout[1].addParam.LastSector), 257039u);
    // No room for a track before the third one: its own record's place stays.
    EXPECT_EQ(Val(plan.layout[2].addParam.FirstSector), 257039u);
}

TEST(CloneLayoutPlan, ASmallerTargetIsPackedWithEqualSharesAndTrimmedToFit)
{
    const uint64_t target = 1000000;
    const CloneLayoutPlan plan = PlanCloneLayout(Input(4000000, target, {
        // Clusters of one sector: the volume can shrink to its FAT32 minimum, far below its share.
        TestPart(FILE_SYSTEM_FAT32, 0x0C, 63, 2000000, 100000, true, 63, 0, 1),
        TestPart(FILE_SYSTEM_NTFS, 0x07, 2000063, 1900000, 200000, true, 0, 0, 8),
    }));
    ASSERT_TRUE(plan.relayout);
    ASSERT_EQ(plan.layout.size(), 2u);
    // need 306,000; 694,000 spare; 347,000 each; ends on cylinders, the 12,095-sector
    // overrun taken from the FAT32 volume as one cylinder.
    EXPECT_EQ(Val(plan.layout[0].addParam.FirstSector), 63u);
    EXPECT_EQ(Val(plan.layout[0].addParam.LastSector), 449819u - 16065);
    EXPECT_EQ(Val(plan.layout[1].addParam.FirstSector), 449820u - 16065);
    EXPECT_EQ(Val(plan.layout[1].addParam.LastSector), 1012094u - 16065);
    EXPECT_EQ(Val(plan.layout[0].u32PartitionType), 0x0Bu);
    EXPECT_EQ(Val(plan.restoreItems[1].VolumeType), 0x07);
    ExpectSound(plan, target);
}

// A smaller target that holds the data: the FAT32 volume's share alone would leave it
// below what FAT32 can be (68,544 sectors; with its own 2 KiB clusters, 65,525
// clusters beside its tables), and the overrun correction must not take it there
// either. The room comes from the NTFS volume's slack instead.
TEST(CloneLayoutPlan, AVolumeIsNeverPlannedBelowTheSmallestSizeItsFileSystemTakes)
{
    const struct {
        const char* what;
        uint32_t cluster;
        uint64_t target;
    } cases[] = {
        {"one-sector clusters", 1, 16065 * 8},
        {"2 KiB clusters", 4, 16065 * 22},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        const std::vector<_KS_PARTITION_INFO> parts = {
            TestPart(FILE_SYSTEM_FAT32, 0x0B, 63, 300032, 7700, true, 63, 0, k.cluster),
            TestPart(FILE_SYSTEM_NTFS, 0x07, 300095, 64260, 10000, true, 0, 0, 8),
        };
        const CloneLayoutPlan plan = PlanCloneLayout(Input(16065 * 60, k.target, parts));
        ASSERT_TRUE(plan.relayout);
        ASSERT_EQ(plan.layout.size(), 2u);
        ExpectSound(plan, k.target);
        const uint64_t fat32 = plan.restoreItems[0].SectorCount;
        EXPECT_GE(fat32, 68544u);
        // Clusters of the volume's own size beside 32 reserved sectors and two tables
        // of four bytes an entry.
        const uint64_t table = ((fat32 / k.cluster + 2) * 4 + 511) / 512;
        EXPECT_GE((fat32 - 32 - 2 * table) / k.cluster, 65525u);
        EXPECT_GE(fat32, CloneVolumeFloor(parts[0]));
        EXPECT_GE(Val(plan.restoreItems[1].SectorCount), 16065u);
    }
}

TEST(CloneLayoutPlan, AnEqualTargetIsRelaidWhenTheSourceIsBad)
{
    const CloneLayoutPlan good = PlanCloneLayout(Input(16065 * 70, 16065 * 70, MixedParts()));
    EXPECT_FALSE(good.relayout);
    const CloneLayoutPlan bad = PlanCloneLayout(Input(16065 * 70, 16065 * 70, MixedParts(), true));
    ASSERT_TRUE(bad.relayout);
    ExpectSound(bad, 16065 * 70);
}

TEST(CloneLayoutPlan, LogicalPartitionsGetTheirTrackAndTheFirstOneItsCylinder)
{
    const uint64_t target = 16065 * 40;
    const CloneLayoutPlan plan = PlanCloneLayout(Input(16065 * 70, target, MixedParts()));
    ASSERT_TRUE(plan.relayout);
    ASSERT_EQ(plan.layout.size(), 4u);
    ExpectSound(plan, target);
    // Every end on a cylinder; the first primary keeps its start.
    for (const TagRSPartitionInfo& p : plan.layout)
        EXPECT_EQ(Val((p.addParam.LastSector + 1) % kTestCylinder), 0u);
    EXPECT_EQ(Val(plan.layout[0].addParam.FirstSector), 63u);
    // The FAT16 table id is 0x06; the 0x83 partition keeps its size and a track for its record.
    EXPECT_EQ(Val(plan.layout[0].u32PartitionType), 0x06u);
    EXPECT_GE(Size(plan.layout[3]), 16065u * 4 - 63 + 63);
    EXPECT_EQ(Val(plan.restoreItems[3].FirstSector), Val(plan.layout[3].addParam.FirstSector));
    EXPECT_EQ(Val(plan.restoreItems[2].Primary), 0);
}

TEST(CloneLayoutPlan, AFat16NearItsLimitKeepsAnUnroundedEndAndStaysUnderItsCap)
{
    const uint64_t target = 16065ull * 1000;
    const CloneLayoutPlan plan = PlanCloneLayout(Input(16065ull * 2000, target, {
        TestPart(FILE_SYSTEM_FAT16, 0x06, 63, 8386000, 7967582, true, 63, 0, 64),
        TestPart(FILE_SYSTEM_NTFS, 0x07, 8386063, 16065ull * 1400, 100000, true, 0, 0, 8),
    }));
    ASSERT_TRUE(plan.relayout);
    ASSERT_EQ(plan.layout.size(), 2u);
    EXPECT_LE(Size(plan.layout[0]), static_cast<uint64_t>(kCloneFat16Cap));
    EXPECT_NE(Val((plan.layout[0].addParam.LastSector + 1) % kTestCylinder), 0u);
    EXPECT_EQ(Val(plan.layout[1].addParam.FirstSector % kTestCylinder), 0u);
    ExpectSound(plan, target);
}

TEST(CloneLayoutPlan, SecondFlagAndNtfsCapsHoldTheLargestVolumes)
{
    struct Row {
        uint32_t fs;
        uint8_t flags;
        int64_t cap;
    } rows[] = {
        {FILE_SYSTEM_FAT32, kCloneFlagSecond, kCloneFatSecondFlagCap},
        {FILE_SYSTEM_FAT16, kCloneFlagSecond, kCloneFat16Cap},
        {FILE_SYSTEM_NTFS, 0, kCloneNtfsCap},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fs);
        const uint64_t target = 3000000000ull;
        const CloneLayoutPlan plan = PlanCloneLayout(Input(3100000000ull, target, {
            TestPart(row.fs, 0x0C, 63, 3000000000ull, 600000, true, 63, row.flags, 64),
        }));
        ASSERT_EQ(plan.layout.size(), 1u);
        EXPECT_LE(Size(plan.layout[0]), Val(static_cast<uint64_t>(row.cap) + kTestCylinder));
        EXPECT_EQ(Val(plan.layout[0].u8SecondFlag), Val(row.flags != 0 ? 1 : 0));
        ExpectSound(plan, target);
    }
}

TEST(CloneLayoutPlan, KeepSizeFlagAndFat12KeepTheFullSourceSize)
{
    const uint64_t target = 16065 * 30;
    const CloneLayoutPlan plan = PlanCloneLayout(Input(16065 * 60, target, {
        TestPart(FILE_SYSTEM_FAT32, 0x0B, 63, 16065 * 10 - 63, 1000, true, 63, kCloneFlagKeepSize, 8),
        TestPart(FILE_SYSTEM_FAT12, 0x01, 16065 * 10, 20000, 100, true, 0, 0, 4),
        TestPart(FILE_SYSTEM_NTFS, 0x07, 16065 * 12, 16065 * 40, 5000, true, 0, 0, 8),
    }));
    ASSERT_EQ(plan.layout.size(), 3u);
    EXPECT_GE(Val(plan.restoreItems[0].SectorCount), 16065u * 10 - 63);
    EXPECT_GE(Val(plan.restoreItems[1].SectorCount), 20000u);
    ExpectSound(plan, target);
}

TEST(CloneLayoutPlan, ShareCalculatorHandsOutNothingBelowTheGrowableCount)
{
    const std::vector<_KS_PARTITION_INFO> parts = {
        TestPart(FILE_SYSTEM_FAT32, 0x0B, 63, 500000, 50000),
        TestPart(FILE_SYSTEM_NTFS, 0x07, 500063, 500000, 50000),
    };
    const int64_t need = 2 * (50000 + 1000);
    CDestDiskAlloction one(need + 1, 63, kTestCylinder, parts);
    EXPECT_EQ(one.GrowableCount(), 2u);
    EXPECT_EQ(one.Spare(), 1);
    EXPECT_EQ(one(0), 0);
    EXPECT_EQ(one(1), 0);
    CDestDiskAlloction two(need + 2001, 63, kTestCylinder, parts);
    EXPECT_EQ(two(0), 1000);
    EXPECT_EQ(two(1), 1000);
    EXPECT_EQ(two(7), 0); // past the end
    EXPECT_EQ(CDestDiskAlloction::SupportFs(FILE_SYSTEM_FAT16, kCloneFat16CapFrom), kCloneFat16Cap);
    EXPECT_EQ(CDestDiskAlloction::SupportFs(FILE_SYSTEM_FAT16, kCloneFat16CapFrom - 1), 0);
    EXPECT_EQ(CDestDiskAlloction::SupportFs(FILE_SYSTEM_FAT32, kCloneFat32CapFrom), kCloneFat32Cap);
    EXPECT_EQ(one.CorrectPartition(16064), 0);
    EXPECT_EQ(one.CorrectPartition(16065), 16064);
}

TagRSPartitionInfo Planned(uint32_t fs, uint64_t first, uint64_t last, int64_t used)
{
    TagRSPartitionInfo p;
    std::memset(&p, 0, sizeof p);
    p.addParam.FileSystem = fs;
    p.addParam.FirstSector = first;
    p.addParam.LastSector = last;
    p.s64UseSector = used;
    return p;
}

TEST(CorrectPartitionSpace, RepairsAnOverrunFromSlackOrLeavesIt)
{
    const unsigned long cyl = kTestCylinder;
    struct Row {
        const char* name;
        std::vector<TagRSPartitionInfo> layout;
        long long disk;
        std::vector<std::pair<uint64_t, uint64_t>> expected;
    } rows[] = {
        {"the first volume's slack covers it",
         {Planned(FILE_SYSTEM_FAT32, 63, cyl * 10 - 1, 1000), Planned(FILE_SYSTEM_NTFS, cyl * 10, cyl * 20 - 1, 1000)},
         cyl * 19 + 5,
         {{63, cyl * 9 - 1}, {cyl * 9, cyl * 19 - 1}}},
        {"whole cylinders taken from each, leaving one cylinder of slack",
         {Planned(FILE_SYSTEM_FAT32, 0, cyl * 4 - 1, cyl), Planned(FILE_SYSTEM_NTFS, cyl * 4, cyl * 8 - 1, cyl),
          Planned(FILE_SYSTEM_OTHER, cyl * 8, cyl * 9 - 1, 0)},
         cyl * 4,
         {{0, cyl * 2 - 1}, {cyl * 2, cyl * 4 - 1}, {cyl * 4, cyl * 5 - 1}}},
        {"two cylinders of slack are never touched",
         {Planned(FILE_SYSTEM_FAT16, 0, cyl * 3 - 1, cyl), Planned(FILE_SYSTEM_OTHER, cyl * 3, cyl * 6 - 1, 0)},
         cyl * 3,
         {{0, cyl * 3 - 1}, {cyl * 3, cyl * 6 - 1}}},
        {"a fitting FAT16 above its cap is cut",
         {Planned(FILE_SYSTEM_FAT16, 63, 63 + 9000000 - 1, 1000)},
         20000000,
         {{63, 63 + kCloneFat16Cap - 1}}},
    };
    for (Row& row : rows) {
        SCOPED_TRACE(row.name);
        CorrectPartitionSpace(row.disk, cyl, row.layout);
        ASSERT_EQ(row.layout.size(), row.expected.size());
        for (size_t i = 0; i < row.layout.size(); ++i) {
            EXPECT_EQ(Val(row.layout[i].addParam.FirstSector), Val(row.expected[i].first)) << i;
            EXPECT_EQ(Val(row.layout[i].addParam.LastSector), Val(row.expected[i].second)) << i;
        }
    }
}

TEST(ClonePlanCheck, APlanPastTheDiskOrBelowItsDataIsRefused)
{
    CloneLayoutPlan plan = PlanCloneLayout(Input(16065 * 70, 16065 * 100, MixedParts()));
    ASSERT_TRUE(ClonePlanFits(plan, 16065 * 100));
    // Same layout on a disk that only looked large enough: the 0x83 partition lies past it.
    EXPECT_FALSE(ClonePlanFits(plan, 16065 * 64));
    // A resizable volume given fewer sectors than it uses.
    CloneLayoutPlan small = plan;
    small.restoreItems[1].SectorCount = 89999;
    EXPECT_FALSE(ClonePlanFits(small, 16065 * 100));
    // A sector-by-sector item with a place smaller than its source.
    CloneLayoutPlan raw = plan;
    raw.restoreItems[3].SectorCount = plan.sourceItems[3].SectorCount - 1;
    EXPECT_FALSE(ClonePlanFits(raw, 16065 * 100));
    // A FAT16 volume squeezed below its kind's smallest size.
    CloneLayoutPlan squeezed = plan;
    squeezed.restoreItems[0].SectorCount = 33263;
    EXPECT_FALSE(ClonePlanFits(squeezed, 16065 * 100));
}

TEST(ClonePlanCheck, AFat12TheNeedCheckAcceptedCanStillOverrunThePlan)
{
    // The destination page counts a FAT12 volume by its used sectors; the plan keeps
    // its full size, which this destination cannot hold.
    const CloneLayoutPlan plan = PlanCloneLayout(Input(16065 * 4, 20000, {
        TestPart(FILE_SYSTEM_FAT12, 0x01, 63, 30000, 100, true, 63, 0, 4),
    }));
    ASSERT_TRUE(plan.relayout);
    EXPECT_FALSE(ClonePlanFits(plan, 20000));
}

TEST(CloneLayoutPlan, VolumeTypesOfFileSystems)
{
    const std::pair<uint32_t, unsigned short> rows[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6},
                                                        {6, 255}, {7, 255}, {8, 7}, {9, 8}, {10, 9}, {11, 255}};
    for (const auto& row : rows)
        EXPECT_EQ(GetVoltypeFromFileSysType(row.first), Val(row.second)) << row.first;
}

} // namespace
