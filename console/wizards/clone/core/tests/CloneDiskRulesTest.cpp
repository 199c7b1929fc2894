#include "CloneDiskRules.h"

#include <gtest/gtest.h>

#include "CloneRecordsBuilder.h"

namespace {

TEST(CloneSourceRules, SizeLimitsSectorSizeAndTheOnlyEntry)
{
    struct Row {
        const char* name;
        std::vector<_KS_PARTITION_INFO> parts;
        uint32_t bytesPerSector;
        uint8_t dynamic;
        bool supported;
    } rows[] = {
        {"NTFS at the limit", {TestPart(FILE_SYSTEM_NTFS, 7, 63, kCloneNtfsLimit, 1)}, 512, 0, true},
        {"NTFS one sector more", {TestPart(FILE_SYSTEM_NTFS, 7, 63, kCloneNtfsLimit + 1, 1)}, 512, 0, false},
        {"FAT32 at the limit", {TestPart(FILE_SYSTEM_FAT32, 0xB, 63, kCloneFat32Limit, 1)}, 512, 0, true},
        {"FAT32 one sector more", {TestPart(FILE_SYSTEM_FAT32, 0xB, 63, kCloneFat32Limit + 1, 1)}, 512, 0, false},
        {"4,096-byte sectors", {TestPart(FILE_SYSTEM_NTFS, 7, 63, 1000, 1)}, 4096, 0, false},
        {"the only entry is free space", {TestPart(FILE_SYSTEM_OTHER, 0, 0, 1000, 0)}, 512, 0, false},
        {"the only partition of a dynamic disk", {TestPart(FILE_SYSTEM_NTFS, 7, 63, 1000, 1)}, 512, 1, false},
        {"no partitions", {}, 512, 0, true},
        {"free space among partitions",
         {TestPart(FILE_SYSTEM_NTFS, 7, 63, 1000, 1), TestPart(FILE_SYSTEM_OTHER, 0, 1063, 1000, 0)}, 512, 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CloneDiskRecords disk;
        disk.disk = TestDisk(4000000000ull);
        disk.disk.Dynamic = row.dynamic;
        disk.partitions = row.parts;
        _KS_DISK_INFO command = disk.disk;
        command.BytesPerSector = row.bytesPerSector;
        EXPECT_EQ(IsCloneSourceSupported(disk, command), Val(row.supported));
    }
}

TEST(CloneTargetRules, SelectionRefusesTheSourceAndOtherKinds)
{
    _KS_DISK_INFO basic = TestDisk(1000);
    _KS_DISK_INFO gpt = basic;
    gpt.DiskType = 1;
    _KS_DISK_INFO dynamic = basic;
    dynamic.Dynamic = 1;
    EXPECT_TRUE(IsCloneTargetSelectable(1, 0, basic, false));
    EXPECT_FALSE(IsCloneTargetSelectable(0, 0, basic, false));
    EXPECT_FALSE(IsCloneTargetSelectable(1, 0, gpt, false));
    EXPECT_FALSE(IsCloneTargetSelectable(1, 0, dynamic, false));
    EXPECT_FALSE(IsCloneTargetSelectable(1, 0, basic, true));
}

TEST(CloneTargetRules, NeedCountsUsedSpaceWithAMarginAndOthersWhole)
{
    EXPECT_EQ(CloneSourceNeed({TestPart(FILE_SYSTEM_NTFS, 7, 63, 5000, 1000)}), 1020);
    EXPECT_EQ(CloneSourceNeed({TestPart(FILE_SYSTEM_OTHER, 0x83, 63, 5000, 10)}), 5000);
    EXPECT_EQ(CloneSourceNeed({TestPart(FILE_SYSTEM_OTHER, 0, 63, 5000, 0)}), 0);
    EXPECT_EQ(CloneSourceNeed({TestPart(FILE_SYSTEM_FAT12, 1, 63, 5000, 99)}), 100);

    CloneDiskRecords source;
    source.disk = TestDisk(100000);
    source.partitions = {TestPart(FILE_SYSTEM_NTFS, 7, 63, 5000, 1000)};
    _KS_DISK_INFO target = TestDisk(1020);
    EXPECT_EQ(CheckCloneTarget(source, target), CloneTargetVerdict::Accepted);
    target.TotalSectors = 1019;
    EXPECT_EQ(CheckCloneTarget(source, target), CloneTargetVerdict::TooSmall);
    target = TestDisk(100000);
    target.BytesPerSector = 4096;
    EXPECT_EQ(CheckCloneTarget(source, target), CloneTargetVerdict::NotSupported);
    target = TestDisk(100000);
    target.DiskType = 1;
    EXPECT_EQ(CheckCloneTarget(source, target), CloneTargetVerdict::NotSupported);
}

} // namespace
