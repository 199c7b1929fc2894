#include <gtest/gtest.h>

#include "CPartitionCalculator.h"
#include "FakeDeviceTree.h"

namespace {
TEST(CPartitionCalculatorTest, NtfsLimitsInCylinders)
{
    uint32_t minimum = 99, maximum = 99;
    CPartitionCalculator(255, 63).CalcNTFSLimit(FILE_SYSTEM_NTFS, minimum, maximum);
    EXPECT_EQ(1u, minimum);
    EXPECT_EQ(267349u, maximum);
    CPartitionCalculator(224, 64).CalcNTFSLimit(FILE_SYSTEM_NTFS, minimum, maximum);  // 14336 a cylinder
    EXPECT_EQ(1u, minimum);
    CPartitionCalculator(16, 63).CalcNTFSLimit(FILE_SYSTEM_NTFS, minimum, maximum);  // 1008 a cylinder
    EXPECT_EQ(15u, minimum);
    minimum = maximum = 7;
    CPartitionCalculator(255, 63).CalcNTFSLimit(FILE_SYSTEM_FAT32, minimum, maximum);
    EXPECT_EQ(7u, minimum);
    EXPECT_EQ(7u, maximum);
}

TEST(CPartitionCalculatorTest, CylindersAndClusters)
{
    CPartitionCalculator calculator(255, 63);
    EXPECT_EQ(0u, calculator.SectorToCylinder(0));
    EXPECT_EQ(1u, calculator.SectorToCylinder(1));
    EXPECT_EQ(1u, calculator.SectorToCylinder(16065));
    EXPECT_EQ(2u, calculator.SectorToCylinder(16066));
    enumFILE_SYSTEM_TYPE fs = FILE_SYSTEM_NTFS;
    uint32_t cluster = 0;
    calculator.GetPartitionDefaultClusterSize(fs, cluster);
    EXPECT_EQ(8u, cluster);
    fs = FILE_SYSTEM_FAT32;
    cluster = 16;
    calculator.GetPartitionDefaultClusterSize(fs, cluster);
    EXPECT_EQ(16u, cluster);
    EXPECT_EQ(FILE_SYSTEM_FAT32, calculator.GetCurrentFileSystemType());
}

TEST(CPartitionCalculatorTest, EstimatesOnlyForNtfs)
{
    FakeDisk disk(1000000);
    FakePartitionData ntfs;
    ntfs.start = 63; ntfs.count = 40000; ntfs.type = 7; ntfs.fs = FILE_SYSTEM_NTFS; ntfs.used = 50000;
    FakePartition* big = disk.Add(ntfs);
    ntfs.used = 20000;
    FakePartition* half = disk.Add(ntfs);
    FakePartitionData fat = ntfs;
    fat.fs = FILE_SYSTEM_FAT32;
    FakePartition* fatItem = disk.Add(fat);

    CPartitionCalculator calculator(255, 63);
    enumFILE_SYSTEM_TYPE fs = FILE_SYSTEM_NTFS;
    uint64_t minSectors = 0;
    calculator.EstimatePartitionMIN(big, fs, minSectors);
    EXPECT_EQ(40000u, minSectors);  // capped at the partition
    uint32_t cylinders = 0;
    calculator.EstimatePartitionMINCylinders(half, fs, cylinders);
    EXPECT_EQ(2u, cylinders);
    int64_t used = -7;
    calculator.EstimateUsedSpace(fatItem, FILE_SYSTEM_FAT32, used);
    EXPECT_EQ(-7, used);
    fs = FILE_SYSTEM_FAT32;
    minSectors = 3;
    calculator.EstimatePartitionMIN(fatItem, fs, minSectors);
    EXPECT_EQ(3u, minSectors);
    EXPECT_TRUE(calculator.IsAllowMoveResizeToZeroCylinder(half));   // 40000 - 63 > 20000
    EXPECT_FALSE(calculator.IsAllowMoveResizeToZeroCylinder(big));
}
}  // namespace
