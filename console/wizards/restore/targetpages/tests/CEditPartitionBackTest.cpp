#include <gtest/gtest.h>

#include "CEditPartitionBack.h"
#include "DiskTasque.h"
#include "TagRestoreInfo.h"
#include "VolumeBuilder.h"

namespace {

// The restore mode page made a logical partition in a free stretch of 10 cylinders
// that the user selected; the edit page then described it in the record.
struct Walk {
    FakeDisk disk{100 * kCyl};
    DiskTasque tasque{disk};
    TagRestoreInfo info;
    FakePartition* freeStretch = nullptr;

    explicit Walk(bool targetWasPartition)
    {
        info.pTasque = &tasque;
        info.nTargetDisk = 0;
        info.targetPartition.StartSector = 10 * kCyl;
        info.targetPartition.SectorCount = 10 * kCyl;
        info.targetPartition.PartitionType = targetWasPartition ? 0x07 : 0;
        info.targetPartition.Primary = targetWasPartition ? 1 : 0;
        info.targetPartition.Flags = targetWasPartition ? 0x1 : 0;
        info.selectedTarget.FirstSector = 10 * kCyl;
        info.selectedTarget.LastSector = 20 * kCyl - 1;
        info.selectedTarget.Primary = targetWasPartition ? 1 : 0;
        info.selectedTarget.FileSystem = 3;
        info.llNewPartitionStart = 10 * kCyl;
        info.llNewPartitionSectors = 6 * kCyl;
        info.newPartition = info.selectedTarget;
        info.newPartition.LastSector = 16 * kCyl - 1;
        if (!targetWasPartition) {
            // The fake does not split its free stretch around the new partition.
            FakePartitionData free;
            free.start = 10 * kCyl;
            free.count = 10 * kCyl;
            freeStretch = disk.Add(free);
        }
        FakePartitionData made; // what the restore mode page created
        made.start = 10 * kCyl + (targetWasPartition ? 0 : 63);
        made.count = 6 * kCyl - (targetWasPartition ? 0 : 63);
        made.type = 0x07;
        made.primary = targetWasPartition;
        disk.Add(made);
        CEditPartitionBack::RememberTarget(info);
        CEditPartitionBack::DescribeNewPartition(info);
    }
};

TEST(EditPartitionBack, TheTargetRecordIsPutBackAsSelected)
{
    for (bool wasPartition : {true, false}) {
        Walk walk(wasPartition);
        ASSERT_EQ(6 * kCyl, uint64_t(walk.info.targetPartition.SectorCount)) << "described as the new partition";
        ASSERT_TRUE(CEditPartitionBack::Undo(walk.info, 63)) << wasPartition;
        EXPECT_EQ(10 * kCyl, uint64_t(walk.info.targetPartition.StartSector)) << wasPartition;
        EXPECT_EQ(10 * kCyl, uint64_t(walk.info.targetPartition.SectorCount))
            << wasPartition << ": the restore mode page must not count the free space twice";
        EXPECT_EQ(10 * kCyl, CEditPartitionBack::TargetSectors());
    }
}

TEST(EditPartitionBack, AnExistingTargetIsMadeAgainAndActive)
{
    Walk walk(true);
    ASSERT_TRUE(CEditPartitionBack::Undo(walk.info, 63));
    ASSERT_NE(nullptr, walk.info.pTargetItem);
    auto* p = static_cast<FakePartition*>(walk.info.pTargetItem);
    EXPECT_EQ(10 * kCyl, p->d.start);
    EXPECT_EQ(10 * kCyl, p->d.count);
    EXPECT_TRUE(p->d.active);
    EXPECT_EQ(1u, walk.disk.GetCount());
}

TEST(EditPartitionBack, FreeSpaceTargetIsFoundInTheDisksList)
{
    Walk walk(false);
    ASSERT_TRUE(CEditPartitionBack::Undo(walk.info, 63));
    // FindPartition lists partitions only: the free stretch comes from the disk's list.
    EXPECT_EQ(walk.freeStretch, walk.info.pTargetItem);
    EXPECT_EQ(1u, walk.disk.GetCount()) << "the new partition is gone";
}

TEST(EditPartitionBack, ATargetThatCannotBeMadeAgainKeepsThePage)
{
    Walk walk(true);
    walk.tasque.failing = "AddPartition";
    EXPECT_FALSE(CEditPartitionBack::Undo(walk.info, 63));
}

} // namespace
