#include "ClonePlacement.h"

#include <gtest/gtest.h>

#include "CloneCopyQueue.h"
#include "CloneRecordsBuilder.h"
#include "FakeCloneTasque.h"

namespace {

AddPartitionParam Slot(uint32_t fs, uint64_t first, uint64_t last, bool primary = true)
{
    AddPartitionParam a;
    std::memset(&a, 0, sizeof a);
    a.FileSystem = fs;
    a.FirstSector = first;
    a.LastSector = last;
    a.Primary = primary ? 1 : 0;
    return a;
}

_RESTORE_INFO Item(uint64_t first, uint64_t count, bool primary = true, uint64_t hidden = 0, uint16_t type = 4)
{
    _RESTORE_INFO r;
    std::memset(&r, 0, sizeof r);
    r.FirstSector = first;
    r.SectorCount = count;
    r.Primary = primary ? 1 : 0;
    r.HiddenSectors = hidden;
    r.VolumeType = type;
    return r;
}

TEST(ClonePlacement, EachRefusalShrinksTheSlotThenMovesItOneTrackLater)
{
    struct Row {
        int refusals;
        uint64_t first, last;
    } rows[] = {
        {0, 63 * 100, 63 * 1000 - 1},      {1, 63 * 100, 63 * 999 - 1},  {2, 63 * 100, 63 * 997 - 1},
        {3, 63 * 100, 63 * 994 - 1},       {4, 63 * 100, 63 * 990 - 1},  {5, 63 * 101, 63 * 1000 - 1},
        {9, 63 * 101, 63 * 990 - 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.refusals);
        FakeCloneTasque command;
        command.addAnswers.assign(static_cast<size_t>(row.refusals), false);
        std::vector<AddPartitionParam> add = {Slot(FILE_SYSTEM_NTFS, 63 * 100, 63 * 1000 - 1)};
        std::vector<_RESTORE_INFO> restore = {Item(63 * 100, 63 * 900)};
        const std::vector<_RESTORE_INFO> source = {Item(63, 1000)};
        const ClonePlacementResult result = PlaceClonePartitions(command, 1, 63, add, restore, source);
        ASSERT_TRUE(result.created);
        ASSERT_EQ(command.created.size(), 1u);
        EXPECT_EQ(Val(command.created[0].FirstSector), Val(row.first));
        EXPECT_EQ(Val(command.created[0].LastSector), Val(row.last));
        EXPECT_EQ(Val(restore[0].FirstSector), Val(row.first));
        EXPECT_EQ(Val(restore[0].SectorCount), Val(row.last - row.first + 1));
    }
}

TEST(ClonePlacement, TenRefusalsStopThePreparationAtThatPartition)
{
    FakeCloneTasque command;
    command.addAnswers.assign(1 + 10, false);
    command.addAnswers.front() = true;
    std::vector<AddPartitionParam> add = {Slot(FILE_SYSTEM_NTFS, 0, 63 * 100 - 1),
                                          Slot(FILE_SYSTEM_FAT32, 63 * 100, 63 * 200 - 1)};
    std::vector<_RESTORE_INFO> restore = {Item(63, 63 * 99), Item(63 * 100, 63 * 100)};
    const ClonePlacementResult result =
        PlaceClonePartitions(command, 1, 63, add, restore, {Item(63, 100), Item(63 * 300, 100)});
    EXPECT_FALSE(result.created);
    EXPECT_EQ(Val(result.failedIndex), 1);
    EXPECT_EQ(command.addCalls.size(), 11u);
}

TEST(ClonePlacement, AShrunkPlaceForASectorBySectorCopyCountsAsNotCreated)
{
    FakeCloneTasque command;
    command.addAnswers = {false, true};
    std::vector<AddPartitionParam> add = {Slot(FILE_SYSTEM_OTHER, 63 * 100, 63 * 200 - 1)};
    std::vector<_RESTORE_INFO> restore = {Item(63 * 100, 63 * 100, true, 0, 0xFF)};
    const ClonePlacementResult result =
        PlaceClonePartitions(command, 1, 63, add, restore, {Item(63 * 500, 63 * 100, true, 0, 0xFF)});
    EXPECT_FALSE(result.created);
    EXPECT_EQ(Val(result.failedIndex), 0);
    // A file-system copy may take the smaller place.
    FakeCloneTasque fs;
    fs.addAnswers = {false, true};
    std::vector<AddPartitionParam> addFs = {Slot(FILE_SYSTEM_NTFS, 63 * 100, 63 * 200 - 1)};
    std::vector<_RESTORE_INFO> restoreFs = {Item(63 * 100, 63 * 100)};
    EXPECT_TRUE(PlaceClonePartitions(fs, 1, 63, addFs, restoreFs, {Item(63 * 500, 63 * 100)}).created);
}

TEST(ClonePlacement, DataGoesWhereTheDeviceManagerPutsIt)
{
    // A logical partition's data lies a track into its slot whatever gap the source had
    // before its data; a primary slot at sector 0 begins a track in.
    FakeCloneTasque command;
    std::vector<AddPartitionParam> add = {Slot(FILE_SYSTEM_FAT16, 0, 63 * 100 - 1),
                                          Slot(FILE_SYSTEM_NTFS, 63 * 100, 63 * 300 - 1, false),
                                          Slot(FILE_SYSTEM_NTFS, 63 * 300, 63 * 400 - 1)};
    std::vector<_RESTORE_INFO> restore = {Item(63, 63 * 99), Item(63 * 100, 63 * 200, false, 2048),
                                          Item(63 * 300, 63 * 100)};
    ASSERT_TRUE(PlaceClonePartitions(command, 1, 63, add, restore, {Item(63, 10), Item(9, 10), Item(9, 10)}).created);
    EXPECT_EQ(Val(restore[0].FirstSector), 63u);
    EXPECT_EQ(Val(restore[0].SectorCount), 63u * 99);
    EXPECT_EQ(Val(restore[1].FirstSector), 63u * 101);
    EXPECT_EQ(Val(restore[1].SectorCount), 63u * 199);
    EXPECT_EQ(Val(restore[2].FirstSector), 63u * 300);
}

TEST(CloneCopyQueue, FatNtfsByFileSystemTheRestBySectorAndTheBootTrackLast)
{
    FakeCloneTasque command;
    command.items.resize(2);
    command.items[0].spt = 63;
    command.items[1].spt = 32;
    const uint32_t kinds[] = {FILE_SYSTEM_FAT12, FILE_SYSTEM_FAT16, FILE_SYSTEM_FAT32, FILE_SYSTEM_NTFS,
                              FILE_SYSTEM_OTHER};
    std::vector<AddPartitionParam> add;
    std::vector<_RESTORE_INFO> source, restore;
    for (uint32_t fs : kinds) {
        add.push_back(Slot(fs, 100, 200));
        source.push_back(Item(100, 100, true, 0, static_cast<uint16_t>(fs + 1)));
        restore.push_back(Item(100, 101, true, 0, 0x0B));
    }
    ASSERT_EQ(QueueCloneCopies(command, source, restore, add), 0u);
    ASSERT_EQ(CloneDiskMBR(command, 0, 1), 0u);
    ASSERT_EQ(command.copies.size(), 6u);
    const unsigned long flags[] = {1, 0, 0, 0, 1};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(Val(command.copies[i].flag), flags[i]) << i;
        EXPECT_EQ(Val(command.copies[i].target.VolumeType), Val(source[i].VolumeType)) << i;
    }
    const FakeCopyCall& track = command.copies.back();
    EXPECT_EQ(Val(track.flag), 1u);
    EXPECT_EQ(Val(track.source.DiskNumber), 0);
    EXPECT_EQ(Val(track.source.FirstSector), 0u);
    EXPECT_EQ(Val(track.source.SectorCount), 63u);
    EXPECT_EQ(Val(track.target.DiskNumber), 1);
    EXPECT_EQ(Val(track.target.SectorCount), 32u);
}

} // namespace
