#include "CloneProgressPoll.h"

#include <gtest/gtest.h>

#include "CloneRecordsBuilder.h"

#include <cstring>

#include "CloneProgressTexts.h"

namespace {

_KS_PROGRESS_INFO Progress(uint32_t state, uint16_t count, uint16_t current, uint32_t total = 0, uint32_t item = 0,
                           uint32_t result = 0)
{
    _KS_PROGRESS_INFO p;
    std::memset(&p, 0, sizeof p);
    p.State = state;
    p.ItemCount = count;
    p.CurrentItem = current;
    p.OverallPercent = total;
    p.ItemPercent = item;
    p.Result = result;
    return p;
}

std::vector<_RESTORE_INFO> ThreeSources()
{
    std::vector<_RESTORE_INFO> items(3);
    std::memset(items.data(), 0, sizeof(_RESTORE_INFO) * items.size());
    items[0].VolumeType = 2;
    items[0].SectorCount = 2048 * 1000;
    items[1].VolumeType = 4;
    items[1].SectorCount = 2048 * 1536;
    items[2].VolumeType = 6;
    items[2].SectorCount = 2048;
    return items;
}

TEST(CloneProgressPoll, EveryPartitionIsAnnouncedOnceAndTheBootTrackNever)
{
    CloneProgressPoll poll;
    const std::vector<_RESTORE_INFO> sources = ThreeSources();
    std::vector<std::string> log;
    const uint16_t sequence[] = {0, 0, 1, 1, 2, 3, 3};
    for (uint16_t current : sequence)
        for (const CloneLogLine& line : poll.Step(Progress(2, 4, current), sources).lines)
            log.push_back(line.text);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], "Cloning disk");
    EXPECT_EQ(log[1], "\n              Partition: 0\n            File system: FAT16\n                   Size: 1000MB\n");
    EXPECT_EQ(log[2], "\n              Partition: 1\n            File system: NTFS\n                   Size: 1.500GB\n");
    EXPECT_EQ(log[3], "\n              Partition: 2\n            File system: Unformatted\n                   Size: 1MB\n");
}

TEST(CloneProgressPoll, StatesDriveLabelsBarsAndTheEnd)
{
    CloneProgressPoll poll;
    const std::vector<_RESTORE_INFO> sources = ThreeSources();
    ClonePollStep init = poll.Step(Progress(1, 0, 0), sources);
    EXPECT_TRUE(init.setProgress);
    EXPECT_EQ(Val(init.totalLabel), "Initialize!");
    EXPECT_EQ(Val(init.currentLabel), "");
    EXPECT_EQ(Val(init.total), 0.0);
    EXPECT_EQ(Val(init.end), ClonePollEnd::Running);

    ClonePollStep run = poll.Step(Progress(2, 4, 1, 40, 75), sources);
    EXPECT_EQ(Val(run.totalLabel), "Total progress:40%");
    EXPECT_EQ(Val(run.currentLabel), "Current operation progress:75%");
    EXPECT_DOUBLE_EQ(run.total, 0.40);
    EXPECT_DOUBLE_EQ(run.current, 0.75);

    ClonePollStep done = poll.Step(Progress(3, 4, 3, 100, 100, 0x00051009), sources);
    EXPECT_EQ(Val(done.end), ClonePollEnd::Finished);
    EXPECT_EQ(Val(done.result), 0x00051009u);
    EXPECT_EQ(Val(poll.Step(Progress(4, 4, 2, 50, 10), sources).end), ClonePollEnd::Cancelled);
    EXPECT_FALSE(poll.Step(Progress(7, 4, 2), sources).setProgress);
}

TEST(CloneProgressTexts, SizesAndFileSystemNames)
{
    const std::pair<uint64_t, const char*> sizes[] = {
        {0, "0MB"},          {2048 * 1000ull, "1000MB"}, {2048 * 1023ull + 2047, "1023MB"},
        {2048 * 1024ull, "1.000GB"}, {2048 * 1536ull, "1.500GB"}, {2048ull * 1024 * 4096, "4096.000GB"},
        {2048ull * 1024 * 1023 + 2048ull * 1023, "1023.999GB"},
    };
    for (const auto& row : sizes)
        EXPECT_EQ(GetSizeString(row.first), Val(row.second)) << row.first;
    const std::pair<uint16_t, const char*> names[] = {{1, "FAT12"}, {2, "FAT16"}, {3, "FAT32"}, {4, "NTFS"},
                                                      {6, "Unformatted"}, {8, "Other(BitLocker Encrypted)"},
                                                      {5, "Other"}, {255, "Other"}};
    for (const auto& row : names)
        EXPECT_STREQ(CloneFileSystemName(row.first), row.second) << row.first;
    // Disk indexes 0 and 1 are the lists' Disk 1 and Disk 2.
    EXPECT_EQ(CloneSummaryFrom(0), "                From : Hard disk 1\n");
    EXPECT_EQ(CloneSummaryTo(1), "                  To : Hard disk 2\n\n");
}

TEST(CloneBackCall, OnlyAPathRequestGoesOn)
{
    EXPECT_EQ(CloneBackCall(nullptr, 1, nullptr), 0u);
    for (unsigned long message : {0ul, 2ul, 3ul, 0x100ul})
        EXPECT_EQ(CloneBackCall(nullptr, message, nullptr), 0x00941607u) << message;
}

} // namespace
