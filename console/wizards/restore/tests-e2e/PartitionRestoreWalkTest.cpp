// The progress page's preparation and run through the real command channel, restore
// engine and device manager, on disk images: an NTFS partition of an image set made by
// the backup engine goes onto free space of an empty disk as an active primary larger
// than the source; the result is read back with sfdisk, ntfsfix and ntfscat. A
// preparation forced to fail leaves the target disk byte for byte as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "BackupDisk.h"
#include "CDiscChangeHandshake.h"
#include "CRestoreRunPreparer.h"
#include "CTargetDiskPlanner.h"
#include "CScriptedTasque.h"
#include "ChannelFixture.h"
#include "CommandOutput.h"
#include "IRestoreDiskTables.h"

namespace {

constexpr uint64_t kWalkCylinder = 255 * 63;

class PartitionRestoreWalk : public ::testing::Test {
protected:
    ImageSet set;
    std::string folder;
    std::string target;
    Tasque tasque;
    _KS_VOLUME ntfs{};

    void SetUp() override
    {
        set = BackUpFixture("restore-walk-set");
        folder = MakeWorkFolder("restore-walk-target");
        target = folder + "/target.img";
        ASSERT_EQ(0, std::system(("truncate -s 100M '" + target + "' && echo 'label: dos' | sfdisk --quiet '" +
                                  target + "' >/dev/null 2>&1").c_str()));
        NameDisks({BackupDisk::Get().Path(), target});
        tasque = NewTasque();
        std::wstring path = set.firstFile;
        unsigned long count = 0;
        ASSERT_EQ(0u, tasque->RestoreGetImageVersions(nullptr, 0, &count, &path[0]));
        std::vector<_KS_VERSION> versions(count);
        ASSERT_EQ(0u, tasque->RestoreGetImageVersions(versions.data(), count, &count, &path[0]));
        ASSERT_FALSE(versions.empty());
        _KS_VERSION version = versions.back();
        ASSERT_EQ(0u, tasque->RestoreSetImgInfo(&version, &path[0]));
        ASSERT_EQ(0u, tasque->RestoreGetImgVolumes(nullptr, 0, &count, &version));
        std::vector<_KS_VOLUME> volumes(count);
        ASSERT_EQ(0u, tasque->RestoreGetImgVolumes(volumes.data(), count, &count, &version));
        for (const _KS_VOLUME& v : volumes)
            if (v.PartitionStart == BackupDisk::Get().ntfs.start)
                ntfs = v;
        ASSERT_EQ(KS_FS_NTFS, ntfs.FileSystem);
    }

    // An active primary NTFS partition of 3 cylinders more than the volume, from
    // cylinder 1, as the restore mode and edit pages leave it.
    RestoreRunRequest Request(ITasque* command, IManagerItem* disk, bool enlarged = true)
    {
        RestoreRunRequest r;
        r.tasque = command;
        r.targetDisk = 1;
        r.makeActive = true;
        r.volumes = {&ntfs};
        r.targetPartition.StartSector = kWalkCylinder;
        r.targetPartition.SectorCount = 4 * kWalkCylinder;
        r.targetPartition.DriveLetter = ' ';
        r.newPartitionStart = kWalkCylinder;
        r.newPartitionSectors = 4 * kWalkCylinder;
        std::memset(&r.newParams, 0, sizeof r.newParams);
        r.newParams.FileSystem = 3;
        r.newParams.FirstSector = kWalkCylinder;
        r.newParams.LastSector = enlarged
                                     ? kWalkCylinder + ((ntfs.TotalSectors / kWalkCylinder) + 4) * kWalkCylinder - 1
                                     : kWalkCylinder + BackupDisk::Get().ntfs.sectors - 1; // the source partition's size
        r.newParams.Primary = 1;
        r.newParams.SectorsPerCluster = ntfs.SectorsPerCluster;
        r.newParams.DriveLetter = ' ';
        r.targetItem = disk;
        return r;
    }

    void Walk(bool enlarged);

    KSProgressInfoT<wchar_t> RunToEnd(ITasque& command)
    {
        KSProgressInfoT<wchar_t> p{};
        EXPECT_EQ(0u, command.RestoreExecute());
        for (int i = 0; i < 600; ++i) {
            command.RestoreGetProgress(&p);
            if (p.State == RESTORE_STATE_FINISH || p.State == RESTORE_STATE_USER_CANCEL)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return p;
    }
};

void PartitionRestoreWalk::Walk(bool enlarged)
{
    IManagerItem* disk = nullptr;
    ASSERT_EQ(0u, tasque->GetDiskItem(1, &disk));
    CVessmarDiskTables tables;
    CDiscChangeHandshake handshake({0x01121607, 0x01191607});
    CRestoreRunPreparer preparer(tables, &CDiscChangeHandshake::Callback, &handshake);
    const RestoreRunRequest request = Request(tasque.get(), disk, enlarged);
    const RestoreRunOutcome out = preparer.Prepare(request);
    ASSERT_TRUE(out.ready) << std::hex << out.failedCode;
    const KSProgressInfoT<wchar_t> end = RunToEnd(*tasque);
    ASSERT_EQ(uint32_t(RESTORE_STATE_FINISH), end.State);
    ASSERT_EQ(0u, end.Result) << std::hex << end.Result;

    const uint64_t first = request.newParams.FirstSector;
    const uint64_t sectors = request.newParams.LastSector - first + 1;
    const std::string dump = CommandOutput("sfdisk --dump '" + target + "'");
    EXPECT_NE(std::string::npos, dump.find("start=" + std::string(12 - std::to_string(first).size(), ' ') +
                                           std::to_string(first)))
        << dump;
    EXPECT_NE(std::string::npos, dump.find("size=" + std::string(12 - std::to_string(sectors).size(), ' ') +
                                           std::to_string(sectors)))
        << dump;
    EXPECT_NE(std::string::npos, dump.find("type=7, bootable")) << dump;

    const std::string restored = folder + "/restored.ntfs";
    const std::string source = folder + "/source.ntfs";
    ASSERT_EQ(0, std::system(("dd if='" + target + "' of='" + restored + "' bs=512 skip=" + std::to_string(first) +
                              " count=" + std::to_string(sectors) + " status=none").c_str()));
    const FixturePartition& p = BackupDisk::Get().ntfs;
    ASSERT_EQ(0, std::system(("dd if='" + BackupDisk::Get().Path() + "' of='" + source + "' bs=512 skip=" +
                              std::to_string(p.start) + " count=" + std::to_string(p.sectors) + " status=none")
                                 .c_str()));
    // A grown volume's alternate boot sector is the restore engine's to move; the
    // volume is checked whole where it keeps its size.
    if (!enlarged) {
        EXPECT_EQ(0, std::system(("ntfsfix -n '" + restored + "' >/dev/null 2>&1").c_str()))
            << CommandOutput("ntfsfix -n '" + restored + "' 2>&1");
    }
    // The volume fills its partition.
    const uint64_t clusters = std::stoull(
        CommandOutput("ntfsinfo -m '" + restored + "' | sed -n 's/.*Volume Size in Clusters: *//p'"));
    EXPECT_GE(clusters * (4096 / 512), sectors - 8) << "the volume fills the partition";
    const std::string files = CommandOutput("ntfsls '" + source + "'");
    EXPECT_EQ(files, CommandOutput("ntfsls '" + restored + "'"));
    for (size_t at = 0; at < files.size();) {
        const size_t nl = files.find('\n', at);
        const std::string name = files.substr(at, nl - at);
        at = nl == std::string::npos ? files.size() : nl + 1;
        // The backup leaves the contents of the paging and hibernation files out.
        if (name.empty() || name[0] == '$' || name == "pagefile.sys" || name == "hiberfil.sys")
            continue;
        EXPECT_EQ(CommandOutput("ntfscat '" + source + "' '" + name + "' | md5sum"),
                  CommandOutput("ntfscat '" + restored + "' '" + name + "' | md5sum"))
            << name;
    }
}

TEST_F(PartitionRestoreWalk, NtfsOntoFreeSpaceAsAnEnlargedActivePrimary)
{
    Walk(true);
}

TEST_F(PartitionRestoreWalk, NtfsOntoFreeSpaceAtItsOwnSize)
{
    Walk(false);
}

// Each step of the preparation made to fail: the target disk is not written, nothing
// is queued and the engine is never started.
TEST_F(PartitionRestoreWalk, FailedStepsLeaveTheDiskByteIdentical)
{
    const std::string before = CommandOutput("md5sum < '" + target + "'");
    const TasqueOp ops[] = {TasqueOp::AddPartition, TasqueOp::FindPartition, TasqueOp::AddRestore};
    for (TasqueOp op : ops) {
        CScriptedTasque scripted(tasque.get());
        scripted.FailCall(op, 0x01009009);
        IManagerItem* disk = nullptr;
        ASSERT_EQ(0u, scripted.GetDiskItem(1, &disk));
        CVessmarDiskTables tables;
        CRestoreRunPreparer preparer(tables, nullptr, nullptr);
        const RestoreRunOutcome out = preparer.Prepare(Request(&scripted, disk));
        EXPECT_FALSE(out.ready) << TasqueOpName(op);
        if (op != TasqueOp::AddRestore) {
            EXPECT_EQ(before, CommandOutput("md5sum < '" + target + "'")) << TasqueOpName(op);
        }
        NameDisks({BackupDisk::Get().Path(), target}); // drop the device manager's edits
    }
}

} // namespace

namespace {

// A whole disk: the set's volumes planned onto the empty disk (larger than the
// source's used extent: a copy of its layout), created, written once and restored.
TEST_F(PartitionRestoreWalk, WholeDiskOntoALargerDiskFollowsThePlan)
{
    std::wstring path = set.firstFile;
    unsigned long count = 0;
    std::vector<_KS_VERSION> versions(8);
    ASSERT_EQ(0u, tasque->RestoreGetImageVersions(versions.data(), 8, &count, &path[0]));
    _KS_VERSION version = versions[count - 1];
    std::vector<_KS_VOLUME> volumes(16);
    ASSERT_EQ(0u, tasque->RestoreGetImgVolumes(volumes.data(), 16, &count, &version));
    volumes.resize(count);
    std::vector<const _KS_VOLUME*> chosen;
    for (const _KS_VOLUME& v : volumes)
        chosen.push_back(&v);
    const CTargetDiskPlanner planner(chosen);
    TargetDiskShape shape;
    shape.totalSectors = 100 * 2048;
    ASSERT_TRUE(planner.DiskCanTake(shape.totalSectors, false));
    bool relaid = true;
    const std::vector<TagRSPartitionInfo> plan = planner.Plan(shape, relaid);
    ASSERT_EQ(CTargetDiskPlanner::kPlanOk, planner.CheckPlan(plan, shape));

    IManagerItem* disk = nullptr;
    ASSERT_EQ(0u, tasque->GetDiskItem(1, &disk));
    RestoreRunRequest r;
    r.tasque = tasque.get();
    r.diskRestore = true;
    r.targetDisk = 2;
    for (_KS_VOLUME& v : volumes)
        r.volumes.push_back(&v);
    r.volumes.push_back(nullptr);
    r.targetItem = disk;
    r.relayout = relaid;
    r.plan = plan;
    CVessmarDiskTables tables;
    CRestoreRunPreparer preparer(tables, nullptr, nullptr);
    const RestoreRunOutcome out = preparer.Prepare(r);
    ASSERT_TRUE(out.ready) << std::hex << out.failedCode;
    const KSProgressInfoT<wchar_t> end = RunToEnd(*tasque);
    EXPECT_EQ(uint32_t(RESTORE_STATE_FINISH), end.State);
    EXPECT_EQ(0u, end.Result) << std::hex << end.Result;
    const std::string dump = CommandOutput("sfdisk --dump '" + target + "'");
    for (const TagRSPartitionInfo& e : plan) {
        const uint64_t first = e.addParam.FirstSector == 0 || e.addParam.Primary == 0 ? e.addParam.FirstSector + 63
                                                                                        : e.addParam.FirstSector;
        EXPECT_NE(std::string::npos, dump.find("start=" + std::string(12 - std::to_string(first).size(), ' ') +
                                               std::to_string(first)))
            << dump;
    }
    // A copied layout keeps every partition where the source had it: each file system
    // checks clean and holds the same files.
    ASSERT_FALSE(relaid);
    ExpectSameVolume(target, BackupDisk::Get().Path(), BackupDisk::Get().ntfs, true, folder);
    ExpectSameVolume(target, BackupDisk::Get().Path(), BackupDisk::Get().fat32, false, folder);
}

} // namespace
