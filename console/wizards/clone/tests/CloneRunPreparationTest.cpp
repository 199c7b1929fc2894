// The progress page's preparation over the wizards' in-memory device tree and scripted
// command object: nothing reaches the disk before every partition is made, and a
// failure leaves the destination as it was with nothing queued.
#include "CloneRunPreparation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CMemoryVessmar.h"
#include "CScriptedTasque.h"
#include "CloneLayoutPlan.h"
#include "CloneProgressPoll.h"
#include "CloneServices.h"
#include "KSResult.h"
#include "CloneRecordsBuilder.h"

namespace {

bool AnyModule(const char*)
{
    return true;
}

_KS_PARTITION_INFO Part(uint32_t fs, uint8_t type, uint64_t start, uint64_t count, uint64_t used, bool primary,
                        uint64_t hidden, uint8_t flags)
{
    return TestPart(fs, type, start, count, used, primary, hidden, flags, 8);
}

_KS_DISK_INFO Disk(uint64_t sectors)
{
    return TestDisk(sectors);
}

struct Stand {
    CMemoryVessmar tree;
    CScriptedTasque command;
    CMemoryDisk* source;
    CMemoryDisk* target;
    CloneRunLists lists;

    ~Stand() { SetCloneModuleProbe(nullptr); }
    Stand()
    {
        // The modules a run loads are there unless a test says otherwise.
        SetCloneModuleProbe(AnyModule);
        const uint64_t cyl = 16065;
        source = tree.AddDisk(cyl * 17);
        target = tree.AddDisk(cyl * 20);
        // The destination's old contents: one FAT32 partition, written.
        MemoryPartitionData old;
        old.start = 2048;
        old.count = cyl * 19;
        old.type = 0x0C;
        old.fs = FILE_SYSTEM_FAT32;
        target->Add(old);
        target->Write();
        command.UseTree(&tree);
        command.disks = {Disk(cyl * 17), Disk(cyl * 20)};

        CloneLayoutInput in;
        in.sourceDisk = 0;
        in.targetDisk = 1;
        in.source.disk = Disk(cyl * 17);
        in.source.partitions = {
            Part(FILE_SYSTEM_FAT16, 0x06, 63, 80262, 3000, true, 63, 0x01),
            Part(FILE_SYSTEM_NTFS, 0x07, 80325, 64260, 6000, true, 0, 0),
            Part(FILE_SYSTEM_FAT32, 0x0B, 144648, 96327, 4000, false, 63, 0),
            Part(FILE_SYSTEM_OTHER, 0x83, 241038, 16002, 0, false, 1, 0),
        };
        in.target = Disk(cyl * 20);
        in.targetTracksPerCylinder = 255;
        in.targetSectorsPerTrack = 63;
        const CloneLayoutPlan plan = PlanCloneLayout(in);
        lists.source = plan.sourceItems;
        lists.restore = plan.restoreItems;
        lists.add = plan.addParams;
    }

    std::vector<std::pair<uint64_t, uint64_t>> TargetPartitions() const
    {
        std::vector<std::pair<uint64_t, uint64_t>> out;
        for (CMemoryPartition* item : target->Items())
            if (!item->IsFree())
                out.push_back({item->d.start, item->d.count});
        return out;
    }
};

TEST(CloneRunPreparation, PartitionsAreMadeMarkedAndQueuedAndTheTableWrittenOnce)
{
    Stand s;
    const CloneRunOutcome outcome = PrepareAndStartClone(s.command, &s.tree, 0, 1, s.lists, CloneBackCall, nullptr);
    ASSERT_EQ(outcome.stage, CloneRunStage::Started);
    EXPECT_EQ(s.target->writes, 2); // the fixture's own write and the clone's one
    const std::vector<std::pair<uint64_t, uint64_t>> made = s.TargetPartitions();
    const std::vector<std::pair<uint64_t, uint64_t>> expected = {
        {63, 80262}, {80325, 64260}, {144648, 96327}, {241038, 16002}};
    EXPECT_EQ(made, expected);
    EXPECT_TRUE(s.target->FindByStart(63)->d.active);
    EXPECT_EQ(s.target->FindByStart(63)->d.type, 0x06u);
    EXPECT_EQ(s.target->FindByStart(241038)->d.type, 0x83u);
    EXPECT_FALSE(s.target->FindByStart(80325)->d.active);

    const std::vector<TasqueCall> copies = s.command.CallsOf(TasqueOp::AddDiskRestore);
    ASSERT_EQ(copies.size(), 5u);
    const unsigned long long flags[] = {0, 0, 0, 1, 1};
    for (size_t i = 0; i < copies.size(); ++i)
        EXPECT_EQ(copies[i].numbers.back(), flags[i]) << i;
    EXPECT_EQ(+copies[3].target.FirstSector, 241038u);
    EXPECT_EQ(+copies[3].target.SectorCount, 16002u);
    EXPECT_EQ(+copies[0].target.VolumeType, 2); // the source's kind, not the table id
    EXPECT_EQ(+copies[4].source.FirstSector, 0u);
    EXPECT_EQ(+copies[4].target.SectorCount, 63u);
    EXPECT_EQ(s.command.CountOf(TasqueOp::RestoreExecute), 1u);
    // The copy items come after every partition is made.
    size_t firstCopy = 0, lastAdd = 0;
    for (size_t i = 0; i < s.command.Calls().size(); ++i) {
        if (s.command.Calls()[i].op == TasqueOp::AddPartition)
            lastAdd = i;
        if (s.command.Calls()[i].op == TasqueOp::AddDiskRestore && firstCopy == 0)
            firstCopy = i;
    }
    EXPECT_LT(lastAdd, firstCopy);
}

bool NoFatCopier(const char* name)
{
    return std::string(name) != "Brasket";
}

// Whatever fails before the table is written, the destination stays as it was and
// the engine runs nothing: a module the run needs is missing, a partition cannot be
// made, the engine refuses an item, the table cannot be written.
TEST(CloneRunPreparation, AFailureLeavesTheDestinationAsItWasAndRunsNothing)
{
    struct Row {
        const char* name;
        int refuseAfter;  // 0: the first partition is refused; -1 none
        int failWrites;
        bool noManager;
        int refusedItem;  // the engine refuses this AddDiskRestore (from 1); 0 none
        bool noFatCopier;
        CloneRunStage stage;
        int failedIndex;
        bool refreshed;   // the device manager rereads the disks
        size_t items;     // items handed to the engine (never run)
    } rows[] = {
        {"ten refusals of the first partition", 0, 0, false, 0, false, CloneRunStage::PartitionFailed, 0, true, 0},
        {"the table cannot be written", -1, 1, false, 0, false, CloneRunStage::TableWriteFailed, -1, true, 5},
        {"no device manager", -1, 0, true, 0, false, CloneRunStage::NoDeviceManager, -1, false, 0},
        {"the engine refuses the third item", -1, 0, false, 3, false, CloneRunStage::QueueFailed, -1, true, 3},
        {"the FAT copier is missing", -1, 0, false, 0, true, CloneRunStage::ModuleMissing, -1, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Stand s;
        const auto before = s.TargetPartitions();
        // The device manager refuses the first partition's ten attempts.
        CScriptedTasque command;
        command.UseTree(&s.tree);
        command.disks = s.command.disks;
        s.target->refuseCreates = row.refuseAfter >= 0 ? 10 : 0;
        s.target->failWrites = row.failWrites;
        if (row.refusedItem != 0)
            command.FailCall(TasqueOp::AddDiskRestore, 0x00051009, row.refusedItem);
        SetCloneModuleProbe(row.noFatCopier ? NoFatCopier : AnyModule);
        const CloneRunOutcome outcome =
            PrepareAndStartClone(command, row.noManager ? nullptr : &s.tree, 0, 1, s.lists, CloneBackCall, nullptr);
        EXPECT_EQ(outcome.stage, row.stage);
        EXPECT_EQ(outcome.failedIndex, row.failedIndex);
        if (row.refusedItem != 0) {
            EXPECT_EQ(outcome.result, 0x00051009u);
        }
        if (row.noFatCopier) {
            EXPECT_EQ(KSResultKind(outcome.result), KS_KIND_VERSION_TOO_NEW) << "A program module is missing";
            EXPECT_EQ(command.Calls().size(), 0u) << "nothing asked of the disks";
        }
        EXPECT_EQ(s.target->writes, 1) << "only the fixture's write";
        EXPECT_EQ(s.TargetPartitions(), before);
        EXPECT_EQ(command.CountOf(TasqueOp::AddDiskRestore), row.items);
        EXPECT_EQ(command.CountOf(TasqueOp::RestoreExecute), 0u);
        EXPECT_EQ(s.tree.refreshes, row.refreshed ? 1 : 0);
        if (row.refuseAfter >= 0) {
            EXPECT_EQ(command.CountOf(TasqueOp::AddPartition), 10u);
        }
    }
}

} // namespace
