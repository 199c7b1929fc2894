#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "CheckerTestSupport.h"

namespace {


// Two volumes, each with two blocks of 4 clusters in one file.
FakeCofran* TwoVolumeSet()
{
    FakeCofran* set = FakeCofran::OneVolumeSet(kFakeSetFolder, 1, {2});
    FakeVolumePart second;
    second.volumeNumber = 1;
    second.blockClusters = {4, 4};
    second.usedClusters = {0, 1, 2, 3, 4, 5, 6, 7};
    set->files[0].parts.push_back(second);
    set->volumes.push_back(FakeVolume(1, 8, 20));
    return set;
}

} // namespace

TEST(CheckerRun, TwoVolumesCheckCleanWithTheirProgressFigures)
{
    FakeChecker c(TwoVolumeSet());
    ASSERT_EQ(0u, c.Choose());
    ASSERT_EQ(0u, c.check->AddCheck(&c.fake->volumes[0]));
    ASSERT_EQ(0u, c.check->AddCheck(&c.fake->volumes[1]));
    std::vector<_KS_PROGRESS_INFO> seen;
    c.fake->onBlock = [&](size_t) { seen.push_back(c.Progress()); };
    const _KS_PROGRESS_INFO end = c.Run();

    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State);
    EXPECT_EQ(0u, end.Result);
    EXPECT_EQ(100u, end.OverallPercent);
    EXPECT_EQ(100u, end.ItemPercent);
    EXPECT_EQ(2u, end.ItemCount);
    EXPECT_EQ(1u, end.CurrentItem);
    EXPECT_EQ(0u, end.Tag);
    EXPECT_EQ(0u, end.ElapsedMs);
    EXPECT_EQ(0u, end.DoneBytes);

    ASSERT_EQ(4u, seen.size());
    // Second block of the first volume: the first block (4 of 8 clusters) was counted.
    EXPECT_EQ(0u, seen[1].CurrentItem);
    EXPECT_EQ(static_cast<uint32_t>(KS_STAGE_CHECK_BLOCKS), seen[1].Stage);
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_ITEM), seen[1].State);
    EXPECT_EQ(50u, seen[1].ItemPercent);
    EXPECT_EQ(28u, seen[1].OverallPercent);
    // First block of the second volume: the first volume ended at 52 %.
    EXPECT_EQ(1u, seen[2].CurrentItem);
    EXPECT_EQ(52u, seen[2].OverallPercent);
    for (const _KS_PROGRESS_INFO& r : seen) {
        const _KS_PROGRESS_INFO zero = {};
        EXPECT_EQ(0, std::memcmp(zero.Text, r.Text, sizeof r.Text)) << "the text stays empty";
    }
}

TEST(CheckerRun, SplitSetIsReadFromTheRunIndexFileDown)
{
    FakeChecker c(FakeCofran::OneVolumeSet(kFakeSetFolder, 3, {2, 3, 1}));
    ASSERT_EQ(0u, c.Choose());
    ASSERT_EQ(0u, c.check->AddCheck(&c.fake->volumes[0]));
    const _KS_PROGRESS_INFO end = c.Run();
    EXPECT_EQ(0u, end.Result);
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State);
    EXPECT_EQ(6u, c.fake->blocksReturned);
}

// The name list is sized by what the container holds, not by a version record's
// file numbers, which a damaged file may fill with anything.
TEST(CheckerRun, TheNameListGrowsOnlyAsTheContainerAsks)
{
    const struct {
        const char* what;
        int files;
        uint32_t firstFile;
        int neededFiles;
        unsigned long capacity;
        unsigned long result;
    } cases[] = {
        {"a version that claims file 4,294,967,040", 1, 0xFFFFFF00u, -1, 16, 0x02F0A005},
        {"a set of 40 files of which the last version needs 1", 40, 0, 1, 40, 0},
    };
    for (const auto& k : cases) {
        FakeCofran* set = FakeCofran::OneVolumeSet(kFakeSetFolder, k.files, std::vector<uint32_t>(k.files, 1));
        set->versions.back().FirstFile = k.firstFile;
        set->neededFiles = k.neededFiles;
        FakeChecker c(set);
        std::wstring path = c.LastPath();
        int count = 0;
        EXPECT_EQ(0u, c.check->IsPwdProtect(&path[0])) << k.what;
        ASSERT_EQ(0u, c.check->GetImageVersions(nullptr, 0, &count, &path[0])) << k.what;
        EXPECT_EQ(1, count) << k.what;
        EXPECT_EQ(k.capacity, set->nameCapacity) << k.what;
        ASSERT_EQ(0u, c.Choose()) << k.what;
        ASSERT_EQ(0u, c.check->AddCheck(&set->volumes[0])) << k.what;
        const _KS_PROGRESS_INFO end = c.Run();
        EXPECT_EQ(k.result, end.Result) << k.what;
        EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State) << k.what;
    }
}

TEST(CheckerRun, ABadBlockFailsTheRun)
{
    FakeCofran* set = FakeCofran::OneVolumeSet(kFakeSetFolder, 2, {2, 2});
    set->files[0].parts[0].corruptBlock = 1;
    FakeChecker c(set);
    ASSERT_EQ(0u, c.Choose());
    ASSERT_EQ(0u, c.check->AddCheck(&set->volumes[0]));
    const _KS_PROGRESS_INFO end = c.Run();
    EXPECT_EQ(0x00Cu, KSResultKind(end.Result));
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State);
}

TEST(CheckerRun, CancelInTheBlockLoopEndsCancelled)
{
    FakeChecker c(FakeCofran::OneVolumeSet(kFakeSetFolder, 1, {5}));
    ASSERT_EQ(0u, c.Choose());
    ASSERT_EQ(0u, c.check->AddCheck(&c.fake->volumes[0]));
    c.fake->onBlock = [&](size_t n) {
        if (n == 2)
            c.check->UserCancel();
    };
    const _KS_PROGRESS_INFO end = c.Run();
    EXPECT_EQ(0x043FA059u, end.Result);
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_USER_CANCEL), end.State);
    EXPECT_EQ(2u, c.fake->blocksReturned);
}

TEST(CheckerRun, WhileRunningExecuteAndAddCheckAreRefused)
{
    FakeChecker c(FakeCofran::OneVolumeSet(kFakeSetFolder, 1, {2}));
    ASSERT_EQ(0u, c.Choose());
    ASSERT_EQ(0u, c.check->AddCheck(&c.fake->volumes[0]));
    std::mutex lock;
    std::condition_variable changed;
    bool inside = false, release = false;
    c.fake->onBlock = [&](size_t n) {
        if (n != 1)
            return;
        std::unique_lock<std::mutex> hold(lock);
        inside = true;
        changed.notify_all();
        changed.wait(hold, [&] { return release; });
    };
    ASSERT_EQ(0u, c.check->Execute());
    {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [&] { return inside; });
    }
    EXPECT_EQ(0x02ABA007u, c.check->Execute());
    EXPECT_EQ(0x029EA007u, c.check->AddCheck(&c.fake->volumes[0]));
    std::wstring path = c.LastPath();
    EXPECT_EQ(0x007u, KSResultKind(c.check->SetImgInfo(nullptr, &path[0])));
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_ITEM), c.Progress().State);
    {
        std::lock_guard<std::mutex> hold(lock);
        release = true;
    }
    changed.notify_all();
    c.check->JoinWorker();
    EXPECT_EQ(0u, c.Progress().Result);
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), c.Progress().State);

    // The volume list is empty again: a second run has nothing to check.
    c.fake->onBlock = nullptr;
    const _KS_PROGRESS_INFO again = c.Run();
    EXPECT_EQ(0x02E3A005u, again.Result);
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), again.State);
}

TEST(CheckerRun, AFailedThreadStartIsReportedAndLeavesTheCheckerIdle)
{
    FakeChecker c(FakeCofran::OneVolumeSet(kFakeSetFolder, 1, {2}), RefuseThreadStart);
    ASSERT_EQ(0u, c.Choose());
    ASSERT_EQ(0u, c.check->AddCheck(&c.fake->volumes[0]));
    const unsigned long rc = c.check->Execute();
    EXPECT_TRUE(KSFailed(rc));
    const _KS_PROGRESS_INFO record = c.Progress();
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), record.State);
    EXPECT_EQ(rc, record.Result);
    EXPECT_EQ(0u, c.check->AddCheck(&c.fake->volumes[0])) << "not busy";
    EXPECT_EQ(rc & 0xFFF, c.check->Execute() & 0xFFF) << "a second try fails the same way, not as busy";
}

// A volume copied sector by sector needs every cluster in its image; bits loaded for
// the volume checked before it must not count.
TEST(CheckerRun, EachVolumeStartsWithAnEmptyImageBitmap)
{
    FakeCofran* set = FakeCofran::OneVolumeSet(kFakeSetFolder, 1, {1});
    FakeVolumePart& first = set->files[0].parts[0];
    first.usedClusters.clear();
    for (uint32_t n = 0; n < 1024; ++n)
        first.usedClusters.push_back(n);
    FakeVolumePart second;
    second.volumeNumber = 1;
    second.blockClusters = {4};
    second.usedClusters = {0, 1, 2, 3};
    set->files[0].parts.push_back(second);
    _KS_VOLUME full = FakeVolume(0, 1024, 10);
    full.Flags = KS_VOLFLAG_ALL_SECTORS;
    _KS_VOLUME partial = FakeVolume(1, 4, 20);
    partial.Flags = KS_VOLFLAG_ALL_SECTORS;
    FakeChecker c(set);
    ASSERT_EQ(0u, c.Choose());
    ASSERT_EQ(0u, c.check->AddCheck(&full));
    ASSERT_EQ(0u, c.check->AddCheck(&partial));
    const _KS_PROGRESS_INFO end = c.Run();
    EXPECT_EQ(0x032BA60Bu, end.Result);
    EXPECT_EQ(1u, end.CurrentItem);
}

TEST(CheckerRun, NothingChosenOrAddedIsRefusedByTheRun)
{
    FakeChecker c(FakeCofran::OneVolumeSet(kFakeSetFolder, 1, {1}));
    std::wstring path = c.LastPath();
    c.check->IsPwdProtect(&path[0]);
    ASSERT_EQ(0u, c.check->SetImgInfo(nullptr, &path[0]));
    ASSERT_EQ(0u, c.check->AddCheck(&c.fake->volumes[0]));
    EXPECT_EQ(0x02DEA005u, c.Run().Result) << "no version chosen";

    FakeChecker fresh(FakeCofran::OneVolumeSet(kFakeSetFolder, 1, {1}));
    ASSERT_EQ(0u, fresh.check->AddCheck(&fresh.fake->volumes[0]));
    EXPECT_EQ(0x02DEA005u, fresh.Run().Result) << "no set loaded";
}

// Which volumes get the bitmap comparison. The fake container serves no sectors, so
// a comparison that is attempted finds no file system in the image.
TEST(CheckerRun, OnlyFatAndNtfsVolumesWithAReaderAreCompared)
{
    const struct {
        const char* what;
        uint8_t fileSystem;
        uint8_t flags;
        unsigned long result;
    } cases[] = {
        {"FAT16", KS_FS_FAT16, 0, 0x0550A006},
        {"FAT32", KS_FS_FAT32, 0, 0x0550A006},
        {"NTFS", KS_FS_NTFS, 0, 0x0550A006},
        {"built without a reader", KS_FS_NTFS, KS_VOLFLAG_NO_FS_READER, 0},
        {"FAT12", KS_FS_FAT12, 0, 0},
        {"other", KS_FS_OTHER, 0, 0},
    };
    for (const auto& k : cases) {
        FakeChecker c(FakeCofran::OneVolumeSet(kFakeSetFolder, 1, {2}));
        ASSERT_EQ(0u, c.Choose());
        _KS_VOLUME v = c.fake->volumes[0];
        v.FileSystem = k.fileSystem;
        v.Flags = k.flags;
        ASSERT_EQ(0u, c.check->AddCheck(&v));
        const _KS_PROGRESS_INFO end = c.Run();
        EXPECT_EQ(k.result, end.Result) << k.what;
        EXPECT_EQ(2u, c.fake->blocksReturned) << k.what << ": the blocks are read either way";
        EXPECT_EQ(static_cast<uint32_t>(KS_STAGE_CHECK_BITMAP), end.Stage) << k.what;
    }
}
