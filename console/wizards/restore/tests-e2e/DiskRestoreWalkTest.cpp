// Whole-disk and boot-record restores through the progress page's preparation, the
// real command channel and restore engine: the set's volumes laid out anew on a disk
// smaller than the source's layout, and the boot record alone over a disk whose table
// must stay as it is.
#include <gtest/gtest.h>

#include <cstdlib>

#include "CRestoreRunPreparer.h"
#include "CTargetDiskPlanner.h"
#include "ChannelFixture.h"
#include "CommandOutput.h"
#include "IRestoreDiskTables.h"
#include "SourceVolumeFacts.h"
#include "WalkSupport.h"

namespace {

constexpr uint64_t kSmallDiskSectors = 48 * 2048; // below the source layout's 52 MiB

// Where the planned entry's file system starts on the disk: a logical partition, and
// a primary planned from sector 0, leave their first track to the table.
uint64_t PlannedStart(const TagRSPartitionInfo& e)
{
    return e.addParam.FirstSector == 0 || e.addParam.Primary == 0 ? e.addParam.FirstSector + 63
                                                                   : e.addParam.FirstSector;
}

} // namespace

TEST(DiskRestoreWalk, WholeDiskOntoASmallerDiskIsLaidOutAnewAsPlanned)
{
    const ImageSet source = BackUpFixture("walk-small-set");
    const std::string folder = MakeWorkFolder("walk-small-target");
    const std::string target = folder + "/target.img";
    ASSERT_EQ(0, std::system(("truncate -s " + std::to_string(kSmallDiskSectors * 512) + " '" + target +
                              "' && echo 'label: dos' | sfdisk --quiet '" + target + "' >/dev/null 2>&1")
                                 .c_str()));
    NameDisks({BackupDisk::Get().Path(), target});
    Tasque tasque = NewTasque();
    OpenedSet set = OpenSetForRestore(*tasque, source.firstFile);
    ASSERT_EQ(2u, set.volumes.size());

    std::vector<const _KS_VOLUME*> chosen;
    for (const _KS_VOLUME& v : set.volumes)
        chosen.push_back(&v);
    const CTargetDiskPlanner planner(chosen);
    TargetDiskShape shape;
    shape.totalSectors = kSmallDiskSectors;
    ASSERT_LT(shape.totalSectors, planner.GetSrcDiskSize());
    ASSERT_TRUE(planner.DiskCanTake(shape.totalSectors, false));
    bool relaid = false;
    const std::vector<TagRSPartitionInfo> plan = planner.Plan(shape, relaid);
    ASSERT_TRUE(relaid);
    ASSERT_EQ(CTargetDiskPlanner::kPlanOk, planner.CheckPlan(plan, shape));
    ASSERT_EQ(2u, plan.size());
    std::string planned;
    for (const TagRSPartitionInfo& e : plan)
        planned += std::to_string(e.addParam.FirstSector) + ".." + std::to_string(e.addParam.LastSector) + " kind " +
                   std::to_string(e.addParam.FileSystem) + " primary " + std::to_string(e.addParam.Primary) +
                   " used " + std::to_string(e.s64UseSector) + "\n";

    // Each volume keeps its file system kind: a FAT32 volume is never planned below
    // what FAT32 needs.
    for (size_t i = 0; i < plan.size(); ++i)
        ASSERT_EQ(uint64_t(SourceVolumeFacts::Kind(set.volumes[i])), uint64_t(plan[i].addParam.FileSystem))
            << i << "\n" << planned;

    IManagerItem* disk = nullptr;
    ASSERT_EQ(0u, tasque->GetDiskItem(1, &disk));
    RestoreRunRequest r;
    r.tasque = tasque.get();
    r.diskRestore = true;
    r.targetDisk = 2;
    for (_KS_VOLUME& v : set.volumes)
        r.volumes.push_back(&v);
    r.volumes.push_back(nullptr);
    r.targetItem = disk;
    r.relayout = relaid;
    r.plan = plan;
    CVessmarDiskTables tables;
    CRestoreRunPreparer preparer(tables, nullptr, nullptr);
    const RestoreRunOutcome out = preparer.Prepare(r);
    ASSERT_TRUE(out.ready) << std::hex << out.failedCode;
    const KSProgressInfoT<wchar_t> end = FollowRunToEnd(*tasque);
    EXPECT_EQ(uint32_t(RESTORE_STATE_FINISH), end.State);
    EXPECT_EQ(0u, end.Result) << std::hex << end.Result << "\n" << planned;

    // The table holds the plan: each entry's start and size, nothing else.
    std::vector<TableRow> rows;
    for (const TableRow& row : TableOf(target))
        if (row.type != 0x05 && row.type != 0x0f)
            rows.push_back(row);
    ASSERT_EQ(plan.size(), rows.size()) << CommandOutput("sfdisk --dump '" + target + "'");
    const BackupDisk& fixture = BackupDisk::Get();
    for (size_t i = 0; i < plan.size(); ++i) {
        const uint64_t first = PlannedStart(plan[i]);
        const uint64_t sectors = plan[i].addParam.LastSector - first + 1;
        EXPECT_EQ(first, rows[i].start) << i;
        EXPECT_EQ(sectors, rows[i].size) << i;
        EXPECT_LE(first + sectors, kSmallDiskSectors) << i;
        const bool ntfs = set.volumes[i].PartitionStart == fixture.ntfs.start;
        const FixturePartition& p = ntfs ? fixture.ntfs : fixture.fat32;
        const std::string restored = CutSectors(target, first, sectors, folder + "/restored-" + std::to_string(i));
        const std::string original = CutSectors(fixture.Path(), p.start, p.sectors, folder + "/original-" +
                                                                                         std::to_string(i));
        if (ntfs)
            ExpectSameNtfsFiles(restored, original);
        else
            ExpectSameFatFiles(restored, original);
    }
}

// The boot record alone ("MBR and Track 0"): the boot code (bytes 0-439) becomes the
// source's, the target's own partition table and every sector past the boot track
// stay as they were.
TEST(DiskRestoreWalk, BootRecordOnlyCopiesTheBootCodeAndKeepsTheTable)
{
    const ImageSet source = BackUpFixture("walk-mbr-set");
    const std::string folder = MakeWorkFolder("walk-mbr-target");
    const std::string target = folder + "/target.img";
    ASSERT_EQ(0, std::system(("truncate -s 64M '" + target + "' && printf 'label: dos\\nstart=4096, size=40960, "
                              "type=83\\n' | sfdisk --quiet '" + target + "' >/dev/null 2>&1 && dd if=/dev/urandom of='" +
                              target + "' bs=440 count=1 conv=notrunc status=none && dd if=/dev/urandom of='" +
                              target + "' bs=512 seek=4096 count=2048 conv=notrunc status=none")
                                 .c_str()));
    NameDisks({BackupDisk::Get().Path(), target});
    const std::string tableBefore = CommandOutput("dd if='" + target + "' bs=1 skip=446 count=66 status=none | md5sum");
    const std::string restBefore = SectorsMd5(target, 63, 64 * 2048 - 63);
    const std::string sourceCode = CommandOutput("dd if='" + BackupDisk::Get().Path() +
                                                 "' bs=440 count=1 status=none | md5sum");
    ASSERT_NE(sourceCode, CommandOutput("dd if='" + target + "' bs=440 count=1 status=none | md5sum"));

    Tasque tasque = NewTasque();
    OpenedSet set = OpenSetForRestore(*tasque, source.firstFile);
    ASSERT_FALSE(set.volumes.empty());
    IManagerItem* disk = nullptr;
    ASSERT_EQ(0u, tasque->GetDiskItem(1, &disk));
    RestoreRunRequest r;
    r.tasque = tasque.get();
    r.mbrOnly = true;
    r.targetDisk = 2;
    r.sourceDisk = 0;
    r.targetItem = disk;
    CVessmarDiskTables tables;
    CRestoreRunPreparer preparer(tables, nullptr, nullptr);
    const RestoreRunOutcome out = preparer.Prepare(r);
    ASSERT_TRUE(out.ready) << std::hex << out.failedCode;
    const KSProgressInfoT<wchar_t> end = FollowRunToEnd(*tasque);
    EXPECT_EQ(uint32_t(RESTORE_STATE_FINISH), end.State);
    EXPECT_EQ(0u, end.Result) << std::hex << end.Result;

    EXPECT_EQ(sourceCode, CommandOutput("dd if='" + target + "' bs=440 count=1 status=none | md5sum"));
    EXPECT_EQ(tableBefore, CommandOutput("dd if='" + target + "' bs=1 skip=446 count=66 status=none | md5sum"))
        << CommandOutput("dd if='" + target + "' bs=1 skip=432 count=80 status=none | xxd");
    EXPECT_EQ(restBefore, SectorsMd5(target, 63, 64 * 2048 - 63));
}
