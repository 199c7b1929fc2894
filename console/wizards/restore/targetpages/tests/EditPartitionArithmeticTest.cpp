#include <gtest/gtest.h>

#include "EditPartitionArithmetic.h"
#include "VolumeBuilder.h"

namespace {

using namespace EditPartitionArithmetic;

TEST(EditPartitionArithmetic, SizeLabels)
{
    const _KS_VOLUME ntfs = MakeVolume({KS_FS_NTFS, KS_VOLFLAG_PRIMARY, 0, 63, 2048000, 1000, 8});
    SizeLabels l = Labels(ntfs, 2000, false, false, 0, 2048000, 0, 16065);
    EXPECT_EQ("Minimum partition size:7.84 MB", l.minimum) << "the NTFS floor";
    EXPECT_EQ("Maximum partition size:2000MB", l.maximum);
    l = Labels(ntfs, 600000, false, false, 0, 2048000, 0, 16065);
    EXPECT_EQ("Maximum partition size:512000MB", l.maximum) << "above 511,500 MB: 512,000 MB";
    l = Labels(ntfs, 2000, true, false, 0, 2048000, 0, 16065);
    EXPECT_EQ("Minimum partition size:1000.00 MB", l.minimum);
    EXPECT_EQ("Maximum partition size:1000.00 MB", l.maximum);

    const _KS_VOLUME lockedFat32 =
        MakeVolume({KS_FS_FAT32, KS_VOLFLAG_PRIMARY | KS_VOLFLAG_PART_BIT2, 0, 63, 900000000, 100000, 64});
    l = Labels(lockedFat32, 600000, false, true, 0, 900000000, 0, 16065);
    EXPECT_EQ("Maximum partition size:393216MB", l.maximum);
    l = Labels(lockedFat32, 600000, false, false, 0, 900000000, 0, 16065);
    EXPECT_EQ("Maximum partition size:512000MB", l.maximum) << "not active: no FAT32 limit";
}

EditItemFacts Item()
{
    EditItemFacts f;
    f.start = 2 * kCyl;
    f.sectors = 4 * kCyl;
    f.primary = true;
    f.diskSectors = 100 * kCyl;
    f.hasPrevious = true;
    f.previousFree = true;
    f.previousStart = kCyl;
    return f;
}

MOVERESIZE_MANAGER_PARAM Sizes(double before, double size)
{
    MOVERESIZE_MANAGER_PARAM p{};
    p.fileSystem = 3;
    p.u32SectorsPerCluster = 8;
    p.dPreSize = before;
    p.dCurSize = size;
    return p;
}

TEST(EditPartitionArithmetic, SizesBecomeSectors)
{
    const EditItemFacts item = Item();
    const double cylMB = kCyl / 2048.0;
    struct Case { double before, size; uint64_t first, last; const char* what; };
    const Case cases[] = {
        {cylMB, 4 * cylMB, 2 * kCyl, 6 * kCyl - 1, "unchanged"},
        {cylMB + 0.05, 4 * cylMB, 2 * kCyl, 6 * kCyl - 1, "a move of 102 sectors snaps back"},
        {cylMB, 4 * cylMB + 0.1, 2 * kCyl, 6 * kCyl - 1, "a size 204 sectors larger keeps the count"},
        {2 * cylMB, 6 * cylMB, 3 * kCyl, 9 * kCyl - 1, "moved and grown"},
        {cylMB, 200 * cylMB, 2 * kCyl, 100 * kCyl - 1, "cut at the disk's end"},
    };
    for (const Case& c : cases) {
        const MOVE_RESIZE_OPERATION_PARAM op = Operation(item, Sizes(c.before, c.size), false);
        EXPECT_EQ(c.first, uint64_t(op.u64FirstSector)) << c.what;
        EXPECT_EQ(c.last, uint64_t(op.u64LastSector)) << c.what;
    }
    MOVE_RESIZE_OPERATION_PARAM op = Operation(item, Sizes(cylMB, 4 * cylMB + 5), false);
    EXPECT_TRUE(IsNudge(item, op));
    op = Operation(item, Sizes(cylMB, 4 * cylMB + 10), false);
    EXPECT_FALSE(IsNudge(item, op));
}

TEST(EditPartitionArithmetic, EditChangesTheParametersByWholeCylindersOnly)
{
    const EditItemFacts item = Item();
    AddPartitionParam p{};
    p.FileSystem = 3;
    p.FirstSector = 2 * kCyl;
    p.LastSector = 6 * kCyl - 1;
    MOVE_RESIZE_OPERATION_PARAM op{};
    op.fileSystem = 3;
    op.u32SectorsPerCluster = 8;
    op.u64FirstSector = 2 * kCyl + 100;
    op.u64LastSector = 9 * kCyl - 1;
    ApplyEdit(op, item, false, true, 0, false, false, p);
    EXPECT_EQ(2 * kCyl, uint64_t(p.FirstSector)) << "moved less than a cylinder";
    EXPECT_EQ(9 * kCyl - 1, uint64_t(p.LastSector));
    EXPECT_EQ(1, p.Primary);

    // A locked FAT32 layout keeps at most 64 sectors a cluster.
    AddPartitionParam fat{};
    fat.FileSystem = 2;
    fat.FirstSector = 2 * kCyl;
    fat.LastSector = 600 * kCyl - 1;
    op.fileSystem = 2;
    op.u32SectorsPerCluster = 128;
    op.u64FirstSector = 2 * kCyl;
    op.u64LastSector = 600 * kCyl - 1;
    ApplyEdit(op, item, true, false, 0, false, true, fat);
    EXPECT_EQ(64u, uint32_t(fat.SectorsPerCluster));
    // A FAT32 partition shrunk below its window becomes FAT16.
    op.u64LastSector = 2 * kCyl + 60000;
    op.u32SectorsPerCluster = 1;
    ApplyEdit(op, item, true, false, 0, false, false, fat);
    EXPECT_EQ(1u, uint32_t(fat.FileSystem));
}

} // namespace
