#include <gtest/gtest.h>

#include <algorithm>

#include "CRestoreRunPreparer.h"
#include "DiskTasque.h"
#include "CloneLayoutPlan.h"
#include "RestoreTargetRecords.h"

namespace {

constexpr uint64_t kCyl = 255 * 63;

_KS_VOLUME Volume(uint8_t fs, uint8_t flags, uint64_t slot, uint64_t hidden, uint64_t total, uint64_t used)
{
    _KS_VOLUME v;
    std::memset(&v, 0, sizeof v);
    v.FileSystem = fs;
    v.Flags = flags;
    v.TotalSectors = total;
    v.UsedSectors = used;
    v.StartLessHidden = slot;
    v.HiddenPlusTotal = hidden + total;
    v.PartitionStart = slot + hidden;
    v.PartitionStartLow = static_cast<uint32_t>(slot + hidden);
    v.PartitionType = 0x07;
    v.SectorsPerTrack = 63;
    return v;
}

AddPartitionParam Param(uint32_t fs, uint64_t first, uint64_t last, uint8_t primary)
{
    AddPartitionParam p;
    std::memset(&p, 0, sizeof p);
    p.FileSystem = fs;
    p.FirstSector = first;
    p.LastSector = last;
    p.Primary = primary;
    p.DriveLetter = ' ';
    return p;
}

size_t IndexOf(const std::vector<std::string>& calls, const char* name)
{
    return static_cast<size_t>(std::find(calls.begin(), calls.end(), name) - calls.begin());
}

// A one-partition restore onto free space after the first two cylinders: the restore
// mode page created a primary NTFS partition there, the edit page enlarged it.
struct PartitionRun {
    FakeDisk disk{200 * kCyl};
    DiskTasque tasque{disk};
    RecordingTables tables{tasque.calls};
    _KS_VOLUME volume = Volume(KS_FS_NTFS, KS_VOLFLAG_PRIMARY, 0, 63, 4 * kCyl, 30000);
    RestoreRunRequest request;

    PartitionRun()
    {
        FakePartitionData prepared;
        prepared.start = 2 * kCyl;
        prepared.count = 4 * kCyl;
        prepared.type = 0x07;
        disk.Add(prepared);
        request.tasque = &tasque;
        request.targetDisk = 0;
        request.makePrimary = true;
        request.volumes = {&volume};
        request.targetPartition.StartSector = 2 * kCyl;
        request.targetPartition.SectorCount = 4 * kCyl;
        request.targetPartition.DriveLetter = ' ';
        request.newPartitionStart = 2 * kCyl;
        request.newPartitionSectors = 4 * kCyl;
        request.newParams = Param(FILE_SYSTEM_NTFS, 2 * kCyl, 10 * kCyl - 1, 1);
        request.targetItem = &disk;
    }
    RestoreRunOutcome Prepare()
    {
        CRestoreRunPreparer preparer(tables, nullptr, nullptr);
        return preparer.Prepare(request);
    }
};

TEST(RestoreRunPreparer, PartitionIsCreatedQueuedThenWrittenOnce)
{
    PartitionRun run;
    const RestoreRunOutcome out = run.Prepare();
    ASSERT_TRUE(out.ready);
    ASSERT_EQ(1u, run.tasque.restores.size());
    const _RESTORE_INFO& t = run.tasque.restores[0];
    EXPECT_EQ(0, t.DiskNumber);
    EXPECT_EQ(2 * kCyl, uint64_t(t.FirstSector));
    EXPECT_EQ(8 * kCyl, uint64_t(t.SectorCount));
    EXPECT_EQ(4, int(t.VolumeType));
    EXPECT_EQ('*', int(t.DriveLetter)) << "a blank letter goes out as '*'";
    EXPECT_EQ(1, t.Primary);
    EXPECT_EQ(1, run.tables.writes);
    EXPECT_EQ(0, run.tables.refreshes);
    EXPECT_LT(IndexOf(run.tasque.calls, "AddPartition"), IndexOf(run.tasque.calls, "AddRestore"));
    EXPECT_LT(IndexOf(run.tasque.calls, "AddRestore"), IndexOf(run.tasque.calls, "Write"));
    EXPECT_NE(nullptr, out.newTargetItem);
}

TEST(RestoreRunPreparer, LogicalPartitionFoundOneTrackInIsQueuedFromThere)
{
    PartitionRun run;
    run.request.makePrimary = false;
    run.request.newParams = Param(FILE_SYSTEM_NTFS, 2 * kCyl, 10 * kCyl - 1, 0);
    run.request.targetPartition.StartSector = 2 * kCyl - 63; // as the list shows a logical's slot
    const RestoreRunOutcome out = run.Prepare();
    ASSERT_TRUE(out.ready);
    EXPECT_EQ(2 * kCyl + 63, uint64_t(run.tasque.restores[0].FirstSector));
    EXPECT_EQ(0, run.tasque.restores[0].Primary);
}

// A logical volume that lay 2048 sectors past its table sector, onto a logical slot of
// the same length made one track in: the volume goes where the new entry puts the
// partition, never 2048 sectors on where no entry points.
TEST(RestoreRunPreparer, AlignedLogicalVolumeGoesToTheNewEntrysStart)
{
    PartitionRun run;
    run.volume = Volume(KS_FS_FAT16, 0, 2 * kCyl, 2048, 8 * kCyl - 2048, 20000);
    run.request.makePrimary = false;
    run.request.newParams = Param(FILE_SYSTEM_FAT16, 2 * kCyl, 10 * kCyl - 1, 0);
    run.request.targetPartition.StartSector = 2 * kCyl - 63;
    const RestoreRunOutcome out = run.Prepare();
    ASSERT_TRUE(out.ready);
    ASSERT_EQ(1u, run.tasque.restores.size());
    EXPECT_EQ(2 * kCyl + 63, uint64_t(run.tasque.restores[0].FirstSector));
    EXPECT_EQ(8 * kCyl - 63, uint64_t(run.tasque.restores[0].SectorCount));
}

TEST(RestoreRunPreparer, FailedStepQueuesNothingAndDropsTheEdits)
{
    // A failed write comes after the item was queued: the run is not started, and the
    // item goes with the command object when the wizard is closed.
    struct Case { const char* what; void (*spoil)(PartitionRun&); size_t queued; };
    const Case cases[] = {
        {"AddPartition fails", [](PartitionRun& r) { r.tasque.failing = "AddPartition"; }, 0},
        {"FindPartition fails", [](PartitionRun& r) { r.tasque.failing = "FindPartition"; }, 0},
        {"no extend-info editor", [](PartitionRun& r) { r.tasque.noFileSystemEditor = true; }, 0},
        {"table write fails", [](PartitionRun& r) { r.tables.writeResult = kFakeFailure; }, 1},
        {"AddRestore fails", [](PartitionRun& r) { r.tasque.failing = "AddRestore"; }, 0},
    };
    for (const Case& c : cases) {
        PartitionRun run;
        c.spoil(run);
        const RestoreRunOutcome out = run.Prepare();
        EXPECT_FALSE(out.ready) << c.what;
        EXPECT_NE(0u, out.failedCode) << c.what;
        EXPECT_EQ(c.queued, run.tasque.restores.size()) << c.what;
        EXPECT_EQ(1, run.tables.refreshes) << c.what;
        EXPECT_EQ(0, run.tasque.executes) << c.what;
    }
    // The engine refuses the item before the table is written: the disk keeps its table.
    PartitionRun refused;
    refused.tasque.failing = "AddRestore";
    EXPECT_FALSE(refused.Prepare().ready);
    EXPECT_EQ(0, refused.tables.writes) << "no table is written for an item the engine refused";
    PartitionRun writeFails;
    writeFails.tables.writeResult = kFakeFailure;
    EXPECT_EQ(kFakeFailure, writeFails.Prepare().failedCode) << "the failed step's own code";
}

TEST(RestoreRunPreparer, NoTargetItemStartsNothing)
{
    PartitionRun run;
    run.request.targetItem = nullptr;
    const RestoreRunOutcome out = run.Prepare();
    EXPECT_FALSE(out.ready);
    EXPECT_EQ(0u, out.failedCode);
    EXPECT_TRUE(run.tasque.calls.empty());
}

// A whole disk onto a disk that holds partitions: two planned partitions.
struct DiskRun {
    FakeDisk disk{100 * kCyl};
    DiskTasque tasque{disk};
    RecordingTables tables{tasque.calls};
    _KS_VOLUME fat = Volume(KS_FS_FAT16, KS_VOLFLAG_PRIMARY | KS_VOLFLAG_ACTIVE, 0, 63, 4 * kCyl - 63, 20000);
    _KS_VOLUME ntfs = Volume(KS_FS_NTFS, 0, 4 * kCyl, 63, 8 * kCyl - 63, 30000);
    RestoreRunRequest request;

    DiskRun()
    {
        FakePartitionData old;
        old.start = 63;
        old.count = 50 * kCyl;
        old.type = 0x0C;
        disk.Add(old);
        request.tasque = &tasque;
        request.diskRestore = true;
        request.targetDisk = 1;
        request.sourceDisk = 0;
        request.volumes = {&fat, &ntfs, nullptr};
        request.targetItem = &disk;
        request.relayout = false;
        TagRSPartitionInfo a;
        std::memset(&a, 0, sizeof a);
        a.addParam = Param(FILE_SYSTEM_FAT16, 0, 4 * kCyl - 1, 1);
        a.u64SourceFirstSector = 63;
        a.u8Active = 1;
        a.s64UseSector = 20000;
        TagRSPartitionInfo b = a;
        b.addParam = Param(FILE_SYSTEM_NTFS, 4 * kCyl, 12 * kCyl - 1, 0);
        b.u64SourceFirstSector = 4 * kCyl + 63;
        b.u8Active = 0;
        b.s64UseSector = 30000;
        request.plan = {a, b};
    }
    RestoreRunOutcome Prepare()
    {
        CRestoreRunPreparer preparer(tables, nullptr, nullptr);
        return preparer.Prepare(request);
    }
};

TEST(RestoreRunPreparer, WholeDiskIsLaidOutInMemoryAndWrittenOnceBeforeQueuing)
{
    DiskRun run;
    const RestoreRunOutcome out = run.Prepare();
    ASSERT_TRUE(out.ready);
    ASSERT_EQ(3u, run.tasque.restores.size());
    EXPECT_EQ(63u, uint64_t(run.tasque.restores[0].FirstSector));
    EXPECT_EQ(4 * kCyl - 63, uint64_t(run.tasque.restores[0].SectorCount));
    EXPECT_EQ(1, run.tasque.restores[0].Active);
    EXPECT_EQ(4 * kCyl + 63, uint64_t(run.tasque.restores[1].FirstSector));
    EXPECT_EQ(0, run.tasque.restores[1].Primary);
    EXPECT_EQ(0u, uint64_t(run.tasque.restores[2].SectorCount)) << "the boot record comes last";
    EXPECT_EQ(1, run.tables.writes);
    const auto& calls = run.tasque.calls;
    EXPECT_LT(IndexOf(calls, "DeletePartition"), IndexOf(calls, "AddPartition"));
    EXPECT_LT(IndexOf(calls, "AddRestore"), IndexOf(calls, "Write"));
    EXPECT_EQ(2u, run.disk.GetCount());
}

TEST(RestoreRunPreparer, WholeDiskFailureLeavesTheWrittenTablesAlone)
{
    struct Case { const char* what; void (*spoil)(DiskRun&); const char* text; size_t queued; };
    const Case cases[] = {
        {"second AddPartition fails",
         [](DiskRun& r) {
             r.tasque.failing = "AddPartition";
             r.tasque.failingFromCall = 1;
         },
         CRestoreRunPreparer::kDiskTooSmall, 0},
        {"FindPartition fails", [](DiskRun& r) { r.tasque.failing = "FindPartition"; }, "", 0},
        {"the wipe fails", [](DiskRun& r) { r.tasque.failing = "DeletePartition"; }, "", 0},
        {"no disk item", [](DiskRun& r) { r.tasque.failing = "GetDiskItem"; }, "", 0},
        // The engine refuses an item before the table is written.
        {"the second item refused",
         [](DiskRun& r) {
             r.tasque.failing = "AddRestore";
             r.tasque.failingFromCall = 1;
         },
         "", 1},
        {"the boot record refused",
         [](DiskRun& r) {
             r.tasque.failing = "AddRestore";
             r.tasque.failingFromCall = 2;
         },
         "", 2},
    };
    for (const Case& c : cases) {
        DiskRun run;
        c.spoil(run);
        const RestoreRunOutcome out = run.Prepare();
        EXPECT_FALSE(out.ready) << c.what;
        EXPECT_EQ(c.text, out.failedText) << c.what;
        EXPECT_EQ(0, run.tables.writes) << c.what << ": nothing written";
        EXPECT_EQ(1, run.tables.refreshes) << c.what;
        EXPECT_EQ(c.queued, run.tasque.restores.size()) << c.what;
    }
}

TEST(RestoreRunPreparer, BootRecordAloneGoesToTheChosenDisk)
{
    DiskRun run;
    run.request.diskRestore = false;
    run.request.mbrOnly = true;
    run.request.targetDisk = 2;
    run.request.sourceDisk = 1;
    const RestoreRunOutcome out = run.Prepare();
    ASSERT_TRUE(out.ready);
    ASSERT_EQ(1u, run.tasque.restores.size());
    EXPECT_EQ(1, run.tasque.restores[0].DiskNumber);
    EXPECT_EQ(1, run.tasque.restores[0].SourceDisk);
    EXPECT_EQ(0, run.tables.writes);
}

TEST(RestoreTargetRecords, VolumeTypesOfTheFileSystemKinds)
{
    const int expected[][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {9, 8}, {10, 9}, {7, 255}, {6, 255}};
    for (auto& e : expected)
        EXPECT_EQ(e[1], GetVoltypeFromFileSysType(static_cast<uint32_t>(e[0]))) << e[0];
}

} // namespace
