#include <gtest/gtest.h>

#include "FakeDeviceTree.h"
#include "PartitionRules.h"
#include "layout/MoveResizeDlgInfo.h"
#include "layout/MoveResizeManagerParam.h"
#include "layout/MoveResizeOperationParam.h"
#include "layout/TagRSPartitionInfo.h"

namespace {
TEST(PartitionRulesTest, SupportedTypeIdsAndNames)
{
    for (int id : {0x01, 0x04, 0x05, 0x06, 0x07, 0x0B, 0x0C, 0x0E, 0x11, 0x14, 0x16, 0x17, 0x1B, 0x1C, 0x1E})
        EXPECT_TRUE(IsSurportPartitionType(id)) << id;
    for (int id : {0x00, 0x0F, 0x12, 31, 0x83, 0x1F})
        EXPECT_FALSE(IsSurportPartitionType(id)) << id;

    struct Case { int fs; int type; const char* name; };
    const Case cases[] = {{0, 6, "FAT12"}, {1, 6, "FAT16"}, {2, 0x0B, "FAT32"}, {3, 7, "NTFS"}, {4, 0, "Other"},
                          {6, 0x83, "Unformatted"}, {7, 0x07, "Unformatted"}, {7, 0x83, "Other"},
                          {9, 7, "Other(BitLocker Encrypted)"}, {10, 7, "Other"}, {11, 7, "Unformatted"}};
    for (const Case& c : cases)
        EXPECT_EQ(c.name, GetFileSystem(static_cast<enumFILE_SYSTEM_TYPE>(c.fs), c.type)) << c.fs << "/" << c.type;

    const int volumeMap[][2] = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {7, 8}, {8, 9}, {9, 10}, {0, 7}, {42, 7}};
    for (auto& m : volumeMap)
        EXPECT_EQ(m[1], GetFileSysTypeFromVoltype(static_cast<unsigned short>(m[0]))) << m[0];

    std::string text = "x";
    GetDiskInterfaceType(INTERFACE_TYPE_USB, text);
    EXPECT_EQ("USB Device", text);
    GetDiskInterfaceType(static_cast<_Interface_Type>(9), text);
    EXPECT_EQ("", text);
    EXPECT_FALSE(IsOfflineDisk(3, nullptr));
}

TEST(PartitionRulesTest, ClusterSizeMatching)
{
    const long up[][2] = {{0, 1}, {1, 1}, {3, 4}, {33, 64}, {128, 128}, {129, 129}};
    for (auto& c : up)
        EXPECT_EQ(c[1], GetMatchingClusterSize(c[0])) << c[0];
    const long down[][2] = {{1, 1}, {2, 2}, {9, 8}, {513, 128}, {127, 64}};
    for (auto& c : down)
        EXPECT_EQ(c[1], GetMatchingMaxClusterSize(c[0])) << c[0];

    struct Case { long long sectors; enumFILE_SYSTEM_TYPE fs; unsigned long min, max; };
    const Case cases[] = {{2097152, FILE_SYSTEM_FAT16, 64, 128}, {5040, FILE_SYSTEM_FAT12, 2, 8},
                          {1024000, FILE_SYSTEM_FAT32, 1, 8}};
    for (const Case& c : cases) {
        unsigned long minimum = 0, maximum = 0;
        GetFatMinAndMaxClusterSize(c.sectors, c.fs, minimum, maximum);
        EXPECT_EQ(c.min, minimum) << c.sectors;
        EXPECT_EQ(c.max, maximum) << c.sectors;
    }
}

TEST(PartitionRulesTest, FitFileSystemFollowsTheSizeWindows)
{
    struct Case { enumFILE_SYSTEM_TYPE from; unsigned long long sectors; bool growing; enumFILE_SYSTEM_TYPE to; };
    const Case cases[] = {
        {FILE_SYSTEM_FAT12, 32256, true, FILE_SYSTEM_FAT12},  {FILE_SYSTEM_FAT12, 32257, true, FILE_SYSTEM_FAT16},
        {FILE_SYSTEM_FAT16, 8386927, true, FILE_SYSTEM_FAT16}, {FILE_SYSTEM_FAT12, 8386928, true, FILE_SYSTEM_FAT32},
        {FILE_SYSTEM_FAT32, 68544, false, FILE_SYSTEM_FAT32},  {FILE_SYSTEM_FAT32, 68543, false, FILE_SYSTEM_FAT16},
        {FILE_SYSTEM_FAT16, 33264, false, FILE_SYSTEM_FAT16},  {FILE_SYSTEM_FAT16, 33263, false, FILE_SYSTEM_FAT12},
        {FILE_SYSTEM_FAT32, 20000, false, FILE_SYSTEM_FAT12},  {FILE_SYSTEM_NTFS, 10, false, FILE_SYSTEM_NTFS},
    };
    for (const Case& c : cases) {
        const enumFILE_SYSTEM_TYPE got = GetFitFileSystem(c.from, c.sectors, c.growing);
        EXPECT_EQ(c.to, got) << c.from << " at " << c.sectors;
        // Whatever variant comes out can live at that size.
        enumFILE_SYSTEM_TYPE check = got;
        if (got <= FILE_SYSTEM_FAT32 && c.sectors >= 5040 && !(c.sectors > 32256 && c.sectors < 33264)) {
            EXPECT_TRUE(IfNewPartitionSizeSurrportFileSystem(c.sectors, check)) << c.sectors;
        }
    }
    struct Window { enumFILE_SYSTEM_TYPE fs; unsigned long long sectors; bool ok; };
    const Window windows[] = {{FILE_SYSTEM_FAT12, 5039, false}, {FILE_SYSTEM_FAT12, 5040, true},
                              {FILE_SYSTEM_FAT12, 32257, false}, {FILE_SYSTEM_FAT16, 8386928, true},
                              {FILE_SYSTEM_FAT16, 8386929, false}, {FILE_SYSTEM_FAT32, 68543, false},
                              {FILE_SYSTEM_NTFS, 16064, false}, {FILE_SYSTEM_NTFS, 16065, true},
                              {FILE_SYSTEM_OTHER, 0, true}};
    for (const Window& w : windows) {
        enumFILE_SYSTEM_TYPE fs = w.fs;
        EXPECT_EQ(w.ok, IfNewPartitionSizeSurrportFileSystem(w.sectors, fs)) << w.fs << " at " << w.sectors;
    }
}

TEST(PartitionRulesTest, NeighboursAndFirstLogical)
{
    FakeDisk disk(2000000);
    FakePartitionData freeSpace;
    freeSpace.start = 0; freeSpace.count = 16065;
    FakePartitionData logical;
    logical.start = 16128; logical.count = 100000; logical.primary = false; logical.type = 6; logical.hidden = 63;
    FakePartition* gap = disk.Add(freeSpace);
    FakePartition* first = disk.Add(logical);
    logical.start = 200000;
    FakePartition* second = disk.Add(logical);

    EXPECT_TRUE(IsFirstAndLogicalPartition(first));
    EXPECT_FALSE(IsFirstAndLogicalPartition(second));
    IManagerItem* previous = reinterpret_cast<IManagerItem*>(0x1);
    IManagerItem* next = reinterpret_cast<IManagerItem*>(0x1);
    FindPreAndNextItem(&previous, &next, first);
    EXPECT_EQ(static_cast<IManagerItem*>(gap), previous);
    EXPECT_EQ(static_cast<IManagerItem*>(second), next);
    previous = nullptr;
    FindPreAndNextItem(&previous, &next, second);
    EXPECT_EQ(static_cast<IManagerItem*>(first), previous);
    EXPECT_EQ(nullptr, next);
    IManagerItem* untouched = reinterpret_cast<IManagerItem*>(0x1);
    FindPreAndNextItem(&untouched, &next, gap);
    EXPECT_EQ(reinterpret_cast<IManagerItem*>(0x1), untouched);

    disk.diskType = DISK_TYPE_GPT;
    EXPECT_TRUE(IsGPT(&disk));
    EXPECT_FALSE(IsDynamic(&disk));
    disk.bad = true;
    EXPECT_TRUE(IsBadDisk(&disk));
}

TEST(PartitionRulesTest, RecordsKeepTheirLayout)
{
    EXPECT_EQ(40u, sizeof(MOVERESIZ_DLG_INFO));
    EXPECT_EQ(80u, sizeof(MOVERESIZE_MANAGER_PARAM));
    EXPECT_EQ(28u, sizeof(MOVE_RESIZE_OPERATION_PARAM));
    EXPECT_EQ(1096u, sizeof(TagRSPartitionInfo));
}
}  // namespace
