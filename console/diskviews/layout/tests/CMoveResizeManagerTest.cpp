#include <gtest/gtest.h>

#include <vector>

#include "CMoveResizeManager.h"
#include "FakeDeviceTree.h"

namespace {
const double kCylinderMB = 16065 / 2048.0;

class RecordingDlg : public IMoveResizeDlg {
public:
    void UpdateDlg(const MOVERESIZ_DLG_INFO& info, bool, bool) override { shown.push_back(info); }
    void PromptNotEnoughSpace() override {}
    std::vector<MOVERESIZ_DLG_INFO> shown;
};

// A disk of 255 heads and 63 sectors a track with one partition, free space after
// it and, when asked, free space before it.
struct Layout {
    FakeDisk disk{4000000};
    FakePartition* item = nullptr;

    Layout(enumFILE_SYSTEM_TYPE fs, unsigned long long start, unsigned long long count, int cluster,
           unsigned long long used, unsigned long long freeBefore = 0, unsigned long long freeAfter = 400000)
    {
        FakePartitionData data;
        if (freeBefore != 0) {
            data.start = start - freeBefore;
            data.count = freeBefore;
            disk.Add(data);
        }
        data.start = start;
        data.count = count;
        data.hidden = start == 63 ? 63 : 0;
        data.type = fs == FILE_SYSTEM_NTFS ? 7 : 6;
        data.fs = fs;
        data.cluster = cluster;
        data.used = used;
        data.reserved = fs == FILE_SYSTEM_FAT32 ? 32 : 1;
        data.active = true;
        item = disk.Add(data);
        FakePartitionData after;
        after.start = start + count;
        after.count = freeAfter;
        disk.Add(after);
    }
};

MOVERESIZE_MANAGER_PARAM Out(CMoveResizeManager& manager)
{
    MOVERESIZE_MANAGER_PARAM param{};
    manager.GetOutParam(param);
    return param;
}

TEST(CMoveResizeManagerTest, FreeSpaceBeforeMovesWithItsLimits)
{
    Layout layout(FILE_SYSTEM_FAT16, 16065 * 10, 16065 * 20, 8, 20000, 16065 * 10 - 63, 307);  // 0.15 MB after
    CMoveResizeManager manager(true);
    manager.InitManager(layout.item);
    const double before = Out(manager).dPreSize;
    EXPECT_FALSE(manager.IfPrePartitionCanAdded(before + 0.1));  // growth of exactly 0.1 MB
    ASSERT_TRUE(manager.IfPrePartitionCanAdded(before + 0.2));   // only 0.15 MB exist
    EXPECT_NEAR(before + 307 / 2048.0, Out(manager).dPreSize, 1e-9);
    EXPECT_EQ(0.0, Out(manager).dNextSize);
    ASSERT_TRUE(manager.IfPrePartitionCanReduced(0.0));
    EXPECT_EQ(0.0, Out(manager).dPreSize);
    EXPECT_FALSE(manager.IfPrePartitionCanReduced(0.0));
}

TEST(CMoveResizeManagerTest, FirstLogicalPartitionKeepsOneCylinderBefore)
{
    FakeDisk disk(4000000);
    FakePartitionData gap;
    gap.start = 0; gap.count = 16065 * 5;
    disk.Add(gap);
    FakePartitionData logical;
    logical.start = 16065 * 5 + 63; logical.count = 16065 * 20 - 63; logical.hidden = 63; logical.primary = false;
    logical.type = 6; logical.fs = FILE_SYSTEM_FAT16; logical.cluster = 8; logical.used = 20000;
    FakePartition* item = disk.Add(logical);
    CMoveResizeManager manager(true);
    manager.InitManager(item);
    ASSERT_TRUE(manager.IfPrePartitionCanReduced(0.0));
    EXPECT_NEAR(kCylinderMB, Out(manager).dPreSize, 1e-9);
    EXPECT_FALSE(manager.IfPrePartitionCanReduced(0.0));
    EXPECT_FALSE(manager.IfCurPartitionCanAdded(Out(manager).dCurSize + 100, true, true));
    // Growing into the space before also leaves that cylinder.
    CMoveResizeManager grow(true);
    grow.InitManager(item);
    EXPECT_TRUE(grow.IfCurPartitionCanAdded(Out(grow).dCurSize + 100, true, true));
    EXPECT_NEAR(kCylinderMB, Out(grow).dPreSize, 1e-6);
}

TEST(CMoveResizeManagerTest, FatVariantFollowsTheSize)
{
    {
        Layout layout(FILE_SYSTEM_FAT16, 63, 40960, 2, 2000);
        CMoveResizeManager manager(true);
        manager.InitManager(layout.item);
        ASSERT_TRUE(manager.IfCurPartitionCanReduced(16.0, true, true));
        EXPECT_NEAR(15.65, Out(manager).dCurSize, 1e-9);
        EXPECT_EQ(FILE_SYSTEM_FAT12, static_cast<int>(Out(manager).fileSystem));
    }
    {
        Layout layout(FILE_SYSTEM_FAT12, 63, 20480, 4, 2000);
        CMoveResizeManager manager(true);
        manager.InitManager(layout.item);
        ASSERT_TRUE(manager.IfCurPartitionCanAdded(16.0, true, false));
        EXPECT_NEAR(16.3421875, Out(manager).dCurSize, 1e-9);
        EXPECT_EQ(FILE_SYSTEM_FAT16, static_cast<int>(Out(manager).fileSystem));
    }
    {
        Layout layout(FILE_SYSTEM_FAT32, 63, 204800, 1, 2000);
        CMoveResizeManager manager(true);
        manager.InitManager(layout.item);
        EXPECT_FALSE(manager.IfCurPartitionCanReduced(33.0, true, true));
        EXPECT_NEAR(100.0, Out(manager).dCurSize, 1e-9);
        EXPECT_TRUE(manager.IfCurPartitionCanReduced(34.0, true, true));
        EXPECT_EQ(FILE_SYSTEM_FAT32, static_cast<int>(Out(manager).fileSystem));
    }
}

TEST(CMoveResizeManagerTest, ClusterFormulaAndDataMargins)
{
    EXPECT_EQ(64ul, CMoveResizeManager::ClusterSizeFor(FILE_SYSTEM_FAT16, (65519.0 * 64 + 255) / 2048.0));
    EXPECT_EQ(128ul, CMoveResizeManager::ClusterSizeFor(FILE_SYSTEM_FAT16, (65519.0 * 64 + 256) / 2048.0));
    EXPECT_EQ(1060000ull, CMoveResizeManager(false).DataMargin(1000000));
    EXPECT_EQ(1020000ull, CMoveResizeManager(true).DataMargin(1000000));
}

TEST(CMoveResizeManagerTest, CorrectionKeepsTheStartWhenTheGrowthFitsAfter)
{
    Layout layout(FILE_SYSTEM_FAT16, 63, 102400, 4, 2000);
    CMoveResizeManager manager(true);
    manager.InitManager(layout.item);
    struct Case { bool oneSide, side; double before, after, wantBefore, wantAfter; bool fits; };
    const Case cases[] = {
        // size 50, needs 60: 10 MB from after, the start stays.
        {false, false, 10, 20, 10, 10, true},
        // after too small: the rest comes from before.
        {false, false, 10, 4, 4, 0, true},
        // only the space before may be used: after stays as it is.
        {true, true, 15, 20, 5, 20, true},
        {true, false, 10, 5, 10, 5, false},
    };
    for (const Case& c : cases) {
        const bool fits = manager.CorrectPartitionSize(FILE_SYSTEM_FAT16, 4, 2000, c.before, 50, c.after, 60,
                                                       c.oneSide, c.side);
        EXPECT_EQ(c.fits, fits);
        const MOVERESIZE_MANAGER_PARAM out = Out(manager);
        EXPECT_NEAR(c.wantBefore, out.dCorrectedPreSize, 1e-9) << c.before << "/" << c.after;
        EXPECT_NEAR(c.wantAfter, out.dCorrectedNextSize, 1e-9) << c.before << "/" << c.after;
        EXPECT_NEAR(fits ? 60.0 : 50.0, out.dCorrectedCurSize, 1e-9);
    }
}

TEST(CMoveResizeManagerTest, SmallChangesAreDroppedOrKept)
{
    Layout layout(FILE_SYSTEM_NTFS, 16065, 16065 * 40, 8, 100000, 16065);
    CMoveResizeManager manager(true);
    manager.InitManager(layout.item);
    // Moved right by 100 sectors: nothing to write, the edit stays.
    ASSERT_TRUE(manager.IfPrePartitionCanAdded(Out(manager).dPreSize + 0.2));
    EXPECT_FALSE(manager.UpdateManagerItem());
    EXPECT_TRUE(layout.disk.created.empty());
    // Resized by less than 20480 sectors at the same start: dropped.
    CMoveResizeManager resize(true);
    resize.InitManager(layout.item);
    ASSERT_TRUE(resize.IfCurPartitionCanAdded(Out(resize).dCurSize + 5.0, true, false));
    EXPECT_FALSE(resize.UpdateManagerItem());
    EXPECT_NEAR(16065 * 40 / 2048.0, Out(resize).dCurSize, 1e-9);
    EXPECT_TRUE(layout.disk.created.empty());
}

TEST(CMoveResizeManagerTest, PureMoveLeftRoundsByDistance)
{
    struct Case { unsigned long long shift; unsigned long long wantFirst; };
    // The partition starts 1000 sectors into cylinder 10; moved left by S rounds down, by S + 1 up.
    const Case cases[] = {{63, 16065 * 10}, {64, 16065 * 11}};
    for (const Case& c : cases) {
        Layout layout(FILE_SYSTEM_FAT16, 16065 * 10 + 1000, 16065 * 20, 8, 20000, 16065 * 10 - 63);
        CMoveResizeManager manager(true);
        manager.InitManager(layout.item);
        unsigned long long first = 0, last = 0;
        const unsigned long long from = 16065 * 10 + 1000 - c.shift;
        ASSERT_TRUE(manager.CorrectStartAndEndSector(layout.item, from, from + 16065 * 20 - 1, first, last));
        EXPECT_EQ(c.wantFirst, first) << c.shift;
    }
}

TEST(CMoveResizeManagerTest, WrittenExtentLiesOnCylindersAndKeepsAttributes)
{
    Layout layout(FILE_SYSTEM_FAT16, 63, 16065 * 20 - 63, 8, 20000);
    CMoveResizeManager manager(true);
    RecordingDlg dlg;
    manager.SetMoveResizeInterface(&dlg);
    manager.InitManager(layout.item);
    ASSERT_TRUE(manager.IfCurPartitionCanAdded(Out(manager).dCurSize + 60, true, false));
    manager.UpdateUi(true, true);
    ASSERT_FALSE(dlg.shown.empty());
    ASSERT_TRUE(manager.UpdateManagerItem());
    ASSERT_EQ(1u, layout.disk.created.size());
    const AddPartitionParam& record = layout.disk.created[0];
    EXPECT_EQ(0ull, (record.LastSector + 1) % 16065);
    EXPECT_STREQ("LABEL", record.Name);
    EXPECT_EQ(1, record.Primary);
    FakePartition* created = static_cast<FakePartition*>(manager.GetCurrentItem());
    EXPECT_TRUE(created->d.active);
    EXPECT_EQ(20000ull, created->d.used);
}

TEST(CMoveResizeManagerTest, RefusedCreateBringsTheOldPartitionBack)
{
    Layout layout(FILE_SYSTEM_FAT16, 63, 16065 * 20 - 63, 8, 20000);
    CMoveResizeManager manager(true);
    manager.InitManager(layout.item);
    ASSERT_TRUE(manager.IfCurPartitionCanAdded(Out(manager).dCurSize + 60, true, false));
    layout.disk.refuseCreates = 1;
    EXPECT_FALSE(manager.UpdateManagerItem());
    ASSERT_EQ(2u, layout.disk.created.size());
    FakePartition* restored = static_cast<FakePartition*>(manager.GetCurrentItem());
    ASSERT_NE(nullptr, restored);
    EXPECT_EQ(63ull, restored->d.start);
    EXPECT_EQ(16065ull * 20 - 63, restored->d.count);
    EXPECT_EQ(6u, restored->d.type);
    EXPECT_TRUE(restored->d.active);
    EXPECT_EQ(20000ull, restored->d.used);
}

TEST(CMoveResizeManagerTest, FinalLengthBelowTheDataIsRefusedInEitherMode)
{
    for (bool smallMargin : {false, true}) {
        Layout layout(FILE_SYSTEM_NTFS, 63, 16065 * 20 - 63, 8, 300000);
        CMoveResizeManager manager(smallMargin);
        manager.InitManager(layout.item);
        unsigned long cluster = 0;
        unsigned long long used = 0;
        EXPECT_FALSE(manager.GetNewClusterAndUsedSectorWithPartitionSizeAndFileSystem(layout.item, 299000,
                                                                                       FILE_SYSTEM_NTFS, cluster, used))
            << smallMargin;
        EXPECT_TRUE(manager.GetNewClusterAndUsedSectorWithPartitionSizeAndFileSystem(layout.item, 316000,
                                                                                      FILE_SYSTEM_NTFS, cluster, used));
    }
}

TEST(CMoveResizeManagerDeathTest, MissingItemOrInterfaceStopsTheProgram)
{
    CMoveResizeManager manager(true);
    EXPECT_DEATH(manager.InitManager(nullptr), "__null != m_pCurPartitionItem.*MoveResizeManager");
    FakeDisk disk(100000);
    FakePartitionData raw;
    raw.start = 63; raw.count = 50000; raw.type = 0x83; raw.hasFileSystem = false;
    FakePartition* item = disk.Add(raw);
    EXPECT_DEATH(manager.InitManager(item), "__null != pFileSystemPartition");
}
}  // namespace
