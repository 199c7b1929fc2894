#include <gtest/gtest.h>

#include "CTargetPartitionRules.h"
#include "VolumeBuilder.h"
#include "vessmar/IDiskDeviceType.h"

namespace {


// Unallocated space of the given size at the start of the second cylinder of a basic
// disk that allows primary and logical partitions there.
TargetPartitionFacts FreeSpace(uint64_t sectors, const _KS_VOLUME& volume)
{
    TargetPartitionFacts f;
    f.itemFound = true;
    f.disk.DiskType = DISK_TYPE_BASIC;
    f.diskIndex = 1;
    f.record.StartSector = kCyl;
    f.record.SectorCount = sectors;
    f.itemStart = kCyl;
    f.itemSectors = sectors;
    f.itemType = 0;
    f.checkFlags = 0x3;
    f.volume = volume;
    return f;
}

const _KS_VOLUME kNtfs = MakeVolume({KS_FS_NTFS, KS_VOLFLAG_PRIMARY, 0, 63, 2000000, 1000000, 8});

TEST(TargetPartitionRules, NtfsNeedsItsUsedSectorsAndTwoPercent)
{
    EXPECT_FALSE(CTargetPartitionRules::Judge(FreeSpace(1019999, kNtfs)).usable);
    EXPECT_EQ("Is too small!", CTargetPartitionRules::Judge(FreeSpace(1019999, kNtfs)).logReason);
    EXPECT_TRUE(CTargetPartitionRules::Judge(FreeSpace(1020000, kNtfs)).usable);
    // From a disc, or sector by sector, the whole volume is needed.
    TargetPartitionFacts disc = FreeSpace(1999999, kNtfs);
    disc.imageOnCdromPath = true;
    EXPECT_FALSE(CTargetPartitionRules::Judge(disc).usable);
    disc.record.SectorCount = disc.itemSectors = 2000000;
    EXPECT_TRUE(CTargetPartitionRules::Judge(disc).usable);
    TargetPartitionFacts sbs = FreeSpace(1999999, kNtfs);
    sbs.sectorBySector = true;
    EXPECT_FALSE(CTargetPartitionRules::CompareSize(sbs));
}

TEST(TargetPartitionRules, RegionFloorsAndFatVariantWindows)
{
    const _KS_VOLUME tiny = MakeVolume({KS_FS_OTHER, KS_VOLFLAG_PRIMARY, 0, 63, 100, 100, 1});
    const _KS_VOLUME fat32 = MakeVolume({KS_FS_FAT32, KS_VOLFLAG_PRIMARY, 0, 63, 300000, 1000, 1});
    const _KS_VOLUME fat16 = MakeVolume({KS_FS_FAT16, KS_VOLFLAG_PRIMARY, 0, 63, 300000, 1000, 4});
    struct Case { const _KS_VOLUME* v; uint64_t sectors; bool usable; const char* what; };
    const Case cases[] = {
        {&tiny, 5244, false, "below the size floor"},
        {&tiny, 5245, true, "at the size floor"},
        {&fat32, 68543, false, "FAT32 below its smallest size"},
        {&fat32, 68544, true, "FAT32 at its smallest size"},
        {&fat16, 33263, false, "FAT16 below its smallest size"},
        {&fat16, 33264, true, "FAT16 at its smallest size"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.usable, CTargetPartitionRules::Judge(FreeSpace(c.sectors, *c.v)).usable) << c.what;
}

TEST(TargetPartitionRules, LogicalAndFirstPrimaryCountTheTrackInFrontOfThem)
{
    TargetPartitionFacts f = FreeSpace(1020000 - 63, kNtfs);
    f.itemType = 0x07;
    f.itemPrimary = false;
    f.record.Primary = 0;
    f.itemStart = kCyl + 63;
    EXPECT_TRUE(CTargetPartitionRules::CompareSize(f)) << "logical";
    f.itemPrimary = true;
    f.record.Primary = 1;
    f.itemStart = 63;
    EXPECT_TRUE(CTargetPartitionRules::CompareSize(f)) << "primary at the first track";
    f.itemStart = kCyl;
    EXPECT_FALSE(CTargetPartitionRules::CompareSize(f)) << "primary elsewhere";
}

TEST(TargetPartitionRules, RefusesUnsafeTargets)
{
    struct Case { const char* what; void (*spoil)(TargetPartitionFacts&); const char* reason; };
    const Case cases[] = {
        {"disk row", [](TargetPartitionFacts& f) { f.diskRow = true; }, ""},
        {"no item", [](TargetPartitionFacts& f) { f.itemFound = false; }, ""},
        {"partition holding the image",
         [](TargetPartitionFacts& f) {
             f.imageOnPartition = true;
             f.imageDiskIndex = 1;
             f.imagePartitionStart = kCyl;
         },
         ""},
        {"crossed region", [](TargetPartitionFacts& f) { f.badRange = true; }, "the partitions are crossed"},
        {"GPT disk", [](TargetPartitionFacts& f) { f.disk.DiskType = DISK_TYPE_GPT; }, "the disk is dynamic or GPT!"},
        {"dynamic disk", [](TargetPartitionFacts& f) { f.disk.Dynamic = 1; }, "the disk is dynamic or GPT!"},
        {"offline disk", [](TargetPartitionFacts& f) { f.offline = true; }, ""},
        {"no kind of partition possible", [](TargetPartitionFacts& f) { f.checkFlags = 0; }, ""},
    };
    for (const Case& c : cases) {
        TargetPartitionFacts f = FreeSpace(3000000, kNtfs);
        ASSERT_TRUE(CTargetPartitionRules::Judge(f).usable);
        c.spoil(f);
        const TargetPartitionVerdict v = CTargetPartitionRules::Judge(f);
        EXPECT_FALSE(v.usable) << c.what;
        EXPECT_EQ(c.reason, v.logReason) << c.what;
    }
}

// Only a disc's mount is exempt from the guard: an image in a hard-disk folder whose
// path merely contains "/CD" keeps its own partition out of reach.
TEST(TargetPartitionRules, OnlyADiscMountSkipsTheImagePartitionGuard)
{
    TargetPartitionFacts f = FreeSpace(3000000, kNtfs);
    f.imageOnPartition = true;
    f.imageDiskIndex = 1;
    f.imagePartitionStart = kCyl;
    EXPECT_FALSE(CTargetPartitionRules::Judge(f).usable);
    f.imageOnDiscMount = true;
    EXPECT_TRUE(CTargetPartitionRules::Judge(f).usable);
    f.imageOnDiscMount = false;
    f.imageDiskIndex = 0;
    EXPECT_TRUE(CTargetPartitionRules::Judge(f).usable) << "same start on another disk";
}

TEST(TargetPartitionRules, SectorBySectorPrimaryCannotBecomeATightLogical)
{
    _KS_VOLUME v = MakeVolume({KS_FS_NTFS, KS_VOLFLAG_PRIMARY, 2 * kCyl, 0, 100000, 50000, 8});
    TargetPartitionFacts f = FreeSpace(100063, v);
    f.sectorBySector = true;
    f.record.Primary = 0;
    EXPECT_EQ("primary to logic!", CTargetPartitionRules::Judge(f).logReason);
    f.record.SectorCount = f.itemSectors = 100064;
    EXPECT_TRUE(CTargetPartitionRules::Judge(f).usable);
}

} // namespace

// The rows the page shows disabled: too little room for the volume, nothing else.
TEST(TargetPartitionRules, OnlyTargetsWithoutEnoughSpaceAreTooSmall)
{
    const _KS_VOLUME tiny = MakeVolume({KS_FS_OTHER, KS_VOLFLAG_PRIMARY, 0, 63, 100, 100, 1});
    TargetPartitionFacts dynamicDisk = FreeSpace(2000000, kNtfs);
    dynamicDisk.disk.Dynamic = 1; // refused, but not for its size
    TargetPartitionFacts notFound = FreeSpace(100, kNtfs);
    notFound.itemFound = false;
    struct Case {
        TargetPartitionFacts facts;
        bool tooSmall;
        const char* what;
    } cases[] = {
        {FreeSpace(1019999, kNtfs), true, "below the volume's data and its margin"},
        {FreeSpace(1020000, kNtfs), false, "the volume's data and its margin"},
        {FreeSpace(5244, tiny), true, "below the smallest target"},
        {FreeSpace(5245, tiny), false, "the smallest target"},
        {dynamicDisk, false, "a dynamic disk's space"},
        {notFound, false, "a row without a partition item"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CTargetPartitionRules::TooSmall(c.facts), c.tooSmall) << c.what;
}
