#include <gtest/gtest.h>

#include "CTargetDiskPlanner.h"
#include "SourceVolumeFacts.h"
#include "VolumeBuilder.h"

namespace {

constexpr uint8_t kPrimary = KS_VOLFLAG_PRIMARY;
constexpr uint8_t kActive = KS_VOLFLAG_ACTIVE;

// The source disk of the walks: an active primary FAT16, a primary NTFS and a logical
// FAT32, 26 cylinders in all.
struct SourceDisk {
    _KS_VOLUME fat16 = MakeVolume({KS_FS_FAT16, kPrimary | kActive, 0, 63, 4 * kCyl - 63, 20000, 4});
    // NTFS counts its sectors without the alternate boot sector in the partition's last.
    _KS_VOLUME ntfs = MakeVolume({KS_FS_NTFS, kPrimary, 4 * kCyl, 0, 8 * kCyl - 1, 30000, 8});
    _KS_VOLUME fat32 = MakeVolume({KS_FS_FAT32, 0, 12 * kCyl, 63, 14 * kCyl - 63, 90000, 1});
    std::vector<const _KS_VOLUME*> All() const { return {&fat16, &ntfs, &fat32, nullptr}; }
};

TargetDiskShape Disk(uint64_t sectors)
{
    TargetDiskShape d;
    d.totalSectors = sectors;
    return d;
}

TEST(TargetDiskPlanner, OverlapOfExtentsIsClosedInterval)
{
    struct Case { uint64_t a0, a1, b0, b1; bool overlap; const char* what; };
    const Case cases[] = {
        {100, 199, 100, 199, true, "equal extents"},
        {100, 199, 150, 199, true, "shared end"},
        {100, 199, 100, 120, true, "shared start"},
        {100, 199, 120, 150, true, "b inside a"},
        {120, 150, 100, 199, true, "a inside b"},
        {100, 199, 199, 300, true, "one shared sector"},
        {100, 199, 200, 300, false, "adjacent"},
        {300, 400, 100, 199, false, "apart, reversed order"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.overlap, CTargetDiskPlanner::ExtentsOverlap(c.a0, c.a1, c.b0, c.b1)) << c.what;
        EXPECT_EQ(c.overlap, CTargetDiskPlanner::ExtentsOverlap(c.b0, c.b1, c.a0, c.a1)) << c.what << " (swapped)";
    }
}

TEST(TargetDiskPlanner, EqualOrContainedSourceExtentsForceARelayoutOnALargeDisk)
{
    SourceDisk src;
    // A second volume over exactly the same extent as the NTFS one.
    _KS_VOLUME twin = src.ntfs;
    CTargetDiskPlanner crossed({&src.fat16, &src.ntfs, &twin});
    EXPECT_TRUE(crossed.IsPartitionCrossed());
    bool relaid = false;
    crossed.Plan(Disk(100 * kCyl), relaid);
    EXPECT_TRUE(relaid);

    CTargetDiskPlanner single({&src.ntfs});
    EXPECT_FALSE(single.IsPartitionCrossed());
    EXPECT_FALSE(CTargetDiskPlanner(src.All()).IsPartitionCrossed());
}

TEST(TargetDiskPlanner, LargerDiskGetsTheSourceLayoutCopied)
{
    SourceDisk src;
    CTargetDiskPlanner planner(src.All());
    EXPECT_EQ(26 * kCyl, planner.GetSrcDiskSize());
    bool relaid = true;
    const auto plan = planner.Plan(Disk(40 * kCyl), relaid);
    ASSERT_FALSE(relaid);
    ASSERT_EQ(3u, plan.size());
    const _KS_VOLUME* vols[] = {&src.fat16, &src.ntfs, &src.fat32};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(vols[i]->StartLessHidden, uint64_t(plan[i].addParam.FirstSector)) << i;
        const uint64_t alternateBootSector = vols[i] == &src.ntfs ? 1 : 0;
        EXPECT_EQ(vols[i]->StartLessHidden + vols[i]->HiddenPlusTotal - 1 + alternateBootSector,
                  uint64_t(plan[i].addParam.LastSector))
            << i;
        EXPECT_EQ(vols[i]->PartitionStart, uint64_t(plan[i].u64SourceFirstSector)) << i;
        EXPECT_EQ(uint64_t(vols[i]->PartitionType), uint64_t(plan[i].u32PartitionType)) << i;
    }
    EXPECT_EQ(1u, uint64_t(plan[0].u8Active));
    // A primary that began at 1 MiB keeps its start: its slot starts there.
    const _KS_VOLUME aligned = MakeVolume({KS_FS_NTFS, kPrimary, 0, 2048, 100000 - 1, 3000, 8});
    const auto copied = CTargetDiskPlanner({&aligned}).CopyLayout();
    EXPECT_EQ(2048u, uint64_t(copied[0].addParam.FirstSector));
    EXPECT_EQ(2048u + 100000 - 1, uint64_t(copied[0].addParam.LastSector));
    EXPECT_EQ(1u, uint64_t(plan[1].addParam.Primary));
    EXPECT_EQ(0u, uint64_t(plan[2].addParam.Primary));
    EXPECT_EQ(CTargetDiskPlanner::kPlanOk, planner.CheckPlan(plan, Disk(40 * kCyl)));
}

TEST(TargetDiskPlanner, SmallerDiskIsPackedWithEveryPartitionHoldingItsData)
{
    SourceDisk src;
    CTargetDiskPlanner planner(src.All());
    const TargetDiskShape disk = Disk(20 * kCyl);
    ASSERT_TRUE(planner.DiskCanTake(disk.totalSectors, false));
    bool relaid = false;
    const auto plan = planner.Plan(disk, relaid);
    ASSERT_TRUE(relaid);
    ASSERT_EQ(3u, plan.size());
    EXPECT_EQ(CTargetDiskPlanner::kPlanOk, planner.CheckPlan(plan, disk));
    for (const auto& e : plan) {
        EXPECT_EQ(0u, uint64_t(e.addParam.FirstSector) % kCyl) << "cylinder start";
        EXPECT_EQ(kCyl - 1, uint64_t(e.addParam.LastSector) % kCyl) << "cylinder end";
        EXPECT_LE(uint64_t(e.addParam.LastSector), disk.LastSector());
        EXPECT_EQ(0u, uint64_t(e.u64SourceFirstSector));
    }
    // The room left is shared: every resizable partition grew past its minimum.
    EXPECT_GT(uint64_t(plan[1].addParam.LastSector) - uint64_t(plan[1].addParam.FirstSector) + 1,
              SourceVolumeFacts::PlannedMinimum(src.ntfs) + kCyl);
}

TEST(TargetDiskPlanner, FirstPartitionOfARelayoutStartsOneTrackIn)
{
    SourceDisk src;
    // One resizable volume gets all the room beyond its minimum, its track and one
    // cylinder of rounding: 20 cylinders - 30,600 - (63 + 16,065) sectors.
    const uint64_t size = 30600 + (20 * kCyl - 30600 - (63 + kCyl));
    const auto primary = CTargetDiskPlanner({&src.ntfs}).Relayout(Disk(20 * kCyl));
    ASSERT_EQ(1u, primary.size());
    EXPECT_EQ(63u, uint64_t(primary[0].addParam.FirstSector));
    EXPECT_EQ(63u + size - 1, uint64_t(primary[0].addParam.LastSector));
    // A logical partition's slot also holds its table track.
    const auto logical = CTargetDiskPlanner({&src.fat32}).Relayout(Disk(20 * kCyl));
    const uint64_t logicalSize = 91800 + (20 * kCyl - 91800 - (63 + kCyl));
    EXPECT_EQ(63u, uint64_t(logical[0].addParam.FirstSector));
    EXPECT_EQ(logicalSize - 1 + 2 * 63, uint64_t(logical[0].addParam.LastSector));
}

// The disk choice and the relayout count the same need: a disk that is chosen never
// gets a plan in which a partition is smaller than its data and margin.
TEST(TargetDiskPlanner, ADiskThatPassesTheChoiceNeverGetsPartitionsBelowTheirData)
{
    SourceDisk src;
    CTargetDiskPlanner planner(src.All());
    const uint64_t usedOnly = src.fat16.UsedSectors + src.ntfs.UsedSectors + src.fat32.UsedSectors;
    // Room for the used sectors but not for their 2 % margin: refused.
    EXPECT_FALSE(planner.DiskCanTake(usedOnly + 1, false));
    // The FAT16 volume's used sectors and margin lie below FAT16's least size.
    EXPECT_EQ(33264u + 30600u + 91800u, planner.ImageNeed(false));
    // A disk just above the need is accepted, and every plan it gets either holds the
    // data or is refused before anything is written.
    for (uint64_t sectors = planner.ImageNeed(false) + 1; sectors < 20 * kCyl; sectors += kCyl / 3) {
        ASSERT_TRUE(planner.DiskCanTake(sectors, false));
        bool relaid = false;
        const auto plan = planner.Plan(Disk(sectors), relaid);
        const auto fault = planner.CheckPlan(plan, Disk(sectors));
        if (fault == CTargetDiskPlanner::kPlanOk)
            continue;
        EXPECT_TRUE(fault == CTargetDiskPlanner::kPlanTooSmall || fault == CTargetDiskPlanner::kPlanPastDisk)
            << sectors;
    }
    // Equal to the need is not enough.
    EXPECT_FALSE(planner.DiskCanTake(planner.ImageNeed(false), false));
    // From a disc the source disk's own size is needed.
    EXPECT_EQ(planner.GetSrcDiskSize(), planner.ImageNeed(true));
}

TEST(TargetDiskPlanner, CheckPlanRefusesPlansThatCannotHoldTheData)
{
    SourceDisk src;
    CTargetDiskPlanner planner({&src.ntfs, &src.fat32});
    const TargetDiskShape disk = Disk(20 * kCyl);
    bool relaid = false;
    const auto good = planner.Plan(disk, relaid);
    ASSERT_EQ(CTargetDiskPlanner::kPlanOk, planner.CheckPlan(good, disk));

    struct Case { const char* what; void (*spoil)(std::vector<TagRSPartitionInfo>&); CTargetDiskPlanner::PlanFault fault; };
    const Case cases[] = {
        {"partition below its used sectors and margin",
         [](std::vector<TagRSPartitionInfo>& p) { p[0].addParam.LastSector = p[0].addParam.FirstSector + 30000; },
         CTargetDiskPlanner::kPlanTooSmall},
        {"logical partition whose slot holds the data only with its table track",
         [](std::vector<TagRSPartitionInfo>& p) {
             p[1].addParam.LastSector = p[1].addParam.FirstSector + 90000 + 1800 - 1;
         },
         CTargetDiskPlanner::kPlanTooSmall},
        {"past the disk's end",
         [](std::vector<TagRSPartitionInfo>& p) { p[1].addParam.LastSector = 20 * kCyl; },
         CTargetDiskPlanner::kPlanPastDisk},
        {"overlapping neighbours",
         [](std::vector<TagRSPartitionInfo>& p) { p[1].addParam.FirstSector = p[0].addParam.LastSector; },
         CTargetDiskPlanner::kPlanOverlaps},
        {"an entry missing", [](std::vector<TagRSPartitionInfo>& p) { p.pop_back(); },
         CTargetDiskPlanner::kPlanWrongCount},
    };
    for (const Case& c : cases) {
        auto plan = good;
        c.spoil(plan);
        EXPECT_EQ(c.fault, planner.CheckPlan(plan, disk)) << c.what;
    }
}

TEST(TargetDiskPlanner, PlannedSizesStayWithinTheFileSystemCaps)
{
    constexpr uint64_t kHuge = 6000000000ull; // a 3 TB disk
    const _KS_VOLUME ntfs = MakeVolume({KS_FS_NTFS, kPrimary, 0, 63, 3000000000ull, 100000, 8});
    const _KS_VOLUME limitedFat = MakeVolume(
        {KS_FS_FAT32, KS_VOLFLAG_PART_BIT1, 3000000000ull, 63, 2000000000ull, 100000, 128});
    CTargetDiskPlanner planner({&ntfs, &limitedFat});
    const auto plan = planner.Relayout(Disk(kHuge));
    ASSERT_EQ(2u, plan.size());
    EXPECT_LE(uint64_t(plan[0].addParam.LastSector) - uint64_t(plan[0].addParam.FirstSector) + 1, 2097131520ull + 63);
    EXPECT_LE(uint64_t(plan[1].addParam.LastSector) - uint64_t(plan[1].addParam.FirstSector) + 1, 786411520ull + 63);
    std::vector<TagRSPartitionInfo> fitted = plan;
    planner.FitFatEntries(fitted);
    EXPECT_EQ(uint64_t(FILE_SYSTEM_FAT32), uint64_t(fitted[1].addParam.FileSystem));
    EXPECT_LE(uint64_t(fitted[1].addParam.SectorsPerCluster), 64u);
}

TEST(TargetDiskPlanner, FatPlansGrowIntoTheNextVariantButNeverShrinkOutOfTheirOwn)
{
    // A FAT32 volume with little data packed onto a small disk stays FAT32, at least
    // as large as FAT32 allows; a FAT16 volume grown past its largest size becomes FAT32.
    const _KS_VOLUME fat32 = MakeVolume({KS_FS_FAT32, kPrimary, 0, 63, 200000, 30000, 1});
    CTargetDiskPlanner shrink({&fat32});
    bool relaid = false;
    auto plan = shrink.Plan(Disk(5 * kCyl), relaid);
    ASSERT_TRUE(relaid);
    EXPECT_EQ(uint64_t(FILE_SYSTEM_FAT32), uint64_t(plan[0].addParam.FileSystem));
    EXPECT_GE(uint64_t(plan[0].addParam.LastSector) - uint64_t(plan[0].addParam.FirstSector) + 1 - 63,
              SourceVolumeFacts::FatKindMinimum(fat32));

    const _KS_VOLUME fat16 = MakeVolume({KS_FS_FAT16, kPrimary, 0, 63, 4000000, 3000000, 64});
    const _KS_VOLUME other = MakeVolume({KS_FS_OTHER, kPrimary, 0, 63, 4000000, 4000000, 1});
    CTargetDiskPlanner grow({&fat16, &other}); // crossed: packed anew
    plan = grow.Plan(Disk(20000000), relaid);
    ASSERT_TRUE(relaid);
    EXPECT_EQ(uint64_t(FILE_SYSTEM_FAT32), uint64_t(plan[0].addParam.FileSystem));
}

// A FAT volume with little data, laid out anew on a smaller disk beside a volume that
// takes the room: its planned partition keeps its kind and cluster size and holds at
// least what the kind needs at that cluster size, or the disk is refused (no plan the
// page lets through squeezes it below).
TEST(TargetDiskPlanner, RelaidFatVolumesKeepTheirKindOrTheDiskIsRefused)
{
    struct Case {
        const char* what;
        uint8_t fileSystem;
        uint64_t total, used;
        uint16_t cluster;
        uint64_t diskSectors;
        bool fits;
    };
    const Case cases[] = {
        {"FAT32 of 34 MiB, 512-byte clusters, on 48 MiB", KS_FS_FAT32, 69632, 2000, 1, 48 * 2048, true},
        {"FAT16 of 20 MiB, 2 KiB clusters, on 39 MiB", KS_FS_FAT16, 40960, 1000, 4, 39 * 2048, true},
        {"FAT16 of 20 MiB, 2 KiB clusters, on 30 MiB", KS_FS_FAT16, 40960, 1000, 4, 30 * 2048, false},
        {"FAT32 of 320 MiB, 4 KiB clusters, on 300 MiB", KS_FS_FAT32, 655360, 5000, 8, 300 * 2048, true},
        {"FAT32 of 34 MiB, 512-byte clusters, on 40 MiB", KS_FS_FAT32, 69632, 2000, 1, 40 * 2048, false},
        {"FAT32 of 320 MiB, 4 KiB clusters, on 200 MiB", KS_FS_FAT32, 655360, 5000, 8, 200 * 2048, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // An NTFS volume in front with data enough to want a share of the room, and
        // the FAT volume logical after it, as on the walks' source disk.
        const _KS_VOLUME ntfs = MakeVolume({KS_FS_NTFS, kPrimary, 0, 63, 40000, 12000, 8});
        const _KS_VOLUME fat = MakeVolume({c.fileSystem, 0, 40063, 63, c.total, c.used, c.cluster});
        CTargetDiskPlanner planner({&ntfs, &fat});
        const TargetDiskShape disk = Disk(c.diskSectors);
        bool relaid = false;
        const auto plan = planner.Plan(disk, relaid);
        ASSERT_TRUE(relaid);
        const bool accepted = planner.DiskCanTake(disk.totalSectors, false) &&
                              planner.CheckPlan(plan, disk) == CTargetDiskPlanner::kPlanOk;
        EXPECT_EQ(c.fits, accepted);
        if (!accepted)
            continue;
        ASSERT_EQ(2u, plan.size());
        const AddPartitionParam& p = plan[1].addParam;
        EXPECT_EQ(uint64_t(SourceVolumeFacts::Kind(fat)), uint64_t(p.FileSystem));
        EXPECT_EQ(uint64_t(c.cluster), uint64_t(p.SectorsPerCluster));
        // The logical partition's first track holds its table.
        EXPECT_GE(uint64_t(p.LastSector) - uint64_t(p.FirstSector) + 1 - 63, SourceVolumeFacts::FatKindMinimum(fat));
    }
}

// The least size of each FAT kind: the layout engine's bound at small clusters, the
// kind's cluster count at large ones; nothing for other file systems.
TEST(TargetDiskPlanner, FatKindMinimumFollowsKindAndClusterSize)
{
    struct Case { uint8_t fileSystem; uint16_t cluster; uint64_t atLeast, below; };
    const Case cases[] = {
        {KS_FS_FAT12, 1, 5040, 5041},
        {KS_FS_FAT16, 1, 33264, 33265},
        {KS_FS_FAT16, 64, 4085ull * 64, 4085ull * 64 + 2048},
        {KS_FS_FAT32, 1, 68544, 68545},
        {KS_FS_FAT32, 8, 65525ull * 8, 65525ull * 8 + 2048},
        {KS_FS_NTFS, 8, 0, 1},
    };
    for (const Case& c : cases) {
        const _KS_VOLUME v = MakeVolume({c.fileSystem, kPrimary, 0, 63, 4000000, 1000, c.cluster});
        const uint64_t least = SourceVolumeFacts::FatKindMinimum(v);
        EXPECT_GE(least, c.atLeast) << int(c.fileSystem) << " / " << c.cluster;
        EXPECT_LT(least, c.below) << int(c.fileSystem) << " / " << c.cluster;
        if (c.fileSystem != KS_FS_NTFS) {
            EXPECT_EQ(least, SourceVolumeFacts::PlannedMinimum(v));
        }
    }
}

} // namespace
