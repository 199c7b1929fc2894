// A FAT32 volume of an image set onto an existing logical partition, as the target
// partition and restore mode pages leave the request: the slot with its table track
// given way to a new logical partition of the same place, the volume restored into
// it. The other partitions of the disk (a primary before, a logical after) keep every
// byte, and their table entries stay.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "CRestoreRunPreparer.h"
#include "ChannelFixture.h"
#include "CommandOutput.h"
#include "IRestoreDiskTables.h"
#include "SourceVolumeFacts.h"
#include "WalkSupport.h"

namespace {

// The target: a primary full of random bytes, then an extended partition with two
// logicals, each after its own table track: an empty FAT32 to restore onto and a
// FAT16 holding a file.
constexpr uint64_t kTrack = 63;
constexpr FixturePartition kOtherPrimary{2048, 32768};
constexpr uint64_t kLogicalSlot = 36864; // the first logical's table sector
constexpr FixturePartition kTargetLogical{kLogicalSlot + kTrack, 71680};
constexpr FixturePartition kLaterLogical{kLogicalSlot + kTrack + 71680 + kTrack, 16384};

std::string MakeLogicalTarget(const std::string& folder)
{
    const std::string target = folder + "/target.img";
    const std::string fat16 = folder + "/later.fat";
    const std::string fat32 = folder + "/empty.fat";
    const std::string layout = "label: dos\\nstart=2048, size=32768, type=7\\nstart=36864, size=167936, type=5\\n"
                               "start=" + std::to_string(kTargetLogical.start) + ", size=71680, type=c\\n"
                               "start=" + std::to_string(kLaterLogical.start) + ", size=16384, type=6\\n";
    const std::string make =
        "set -e; truncate -s 100M '" + target + "'; printf '" + layout + "' | sfdisk --quiet '" + target +
        "' >/dev/null 2>&1; dd if=/dev/urandom of='" + target + "' bs=512 seek=2048 count=32768 conv=notrunc "
        "status=none; rm -f '" + fat32 + "' '" + fat16 + "'; mkfs.fat -C -F 32 -s 1 -n EMPTY '" + fat32 +
        "' 35840 >/dev/null; mkfs.fat -C -F 16 -s 1 -n LATER '" + fat16 + "' 8192 >/dev/null; head -c 300000 "
        "/dev/urandom > '" + folder + "/keep.bin'; MTOOLS_SKIP_CHECK=1 mcopy -i '" + fat16 + "' '" + folder +
        "/keep.bin' ::KEEP.BIN; dd if='" + fat32 + "' of='" + target + "' bs=512 seek=" +
        std::to_string(kTargetLogical.start) + " conv=notrunc status=none; dd if='" + fat16 + "' of='" + target +
        "' bs=512 seek=" + std::to_string(kLaterLogical.start) + " conv=notrunc status=none";
    EXPECT_EQ(0, std::system(("bash -c \"" + make + "\"").c_str()));
    return target;
}

} // namespace

TEST(LogicalRestoreWalk, Fat32OntoAnExistingLogicalKeepsEveryOtherPartition)
{
    const ImageSet source = BackUpFixture("walk-logical-set");
    const std::string folder = MakeWorkFolder("walk-logical-target");
    const std::string target = MakeLogicalTarget(folder);
    NameDisks({BackupDisk::Get().Path(), target});
    const std::string primaryBefore = SectorsMd5(target, kOtherPrimary.start, kOtherPrimary.sectors);
    const std::string laterBefore = SectorsMd5(target, kLaterLogical.start, kLaterLogical.sectors);
    const std::vector<TableRow> rowsBefore = TableOf(target);
    ASSERT_EQ(4u, rowsBefore.size());

    Tasque tasque = NewTasque();
    OpenedSet set = OpenSetForRestore(*tasque, source.firstFile);
    const BackupDisk& fixture = BackupDisk::Get();
    _KS_VOLUME* fat32 = nullptr;
    for (_KS_VOLUME& v : set.volumes)
        if (v.PartitionStart == fixture.fat32.start)
            fat32 = &v;
    ASSERT_NE(nullptr, fat32);
    ASSERT_LE(fat32->TotalSectors, kTargetLogical.sectors);

    IManagerItem* disk = nullptr;
    ASSERT_EQ(0u, tasque->GetDiskItem(1, &disk));
    RestoreRunRequest r;
    r.tasque = tasque.get();
    r.targetDisk = 1;
    r.volumes = {fat32};
    r.targetPartition.StartSector = kLogicalSlot;
    r.targetPartition.SectorCount = kTargetLogical.sectors + kTrack;
    r.targetPartition.DriveLetter = ' ';
    r.newPartitionStart = kLogicalSlot;
    r.newPartitionSectors = static_cast<int64_t>(kTargetLogical.sectors + kTrack);
    std::memset(&r.newParams, 0, sizeof r.newParams);
    r.newParams.FileSystem = SourceVolumeFacts::Kind(*fat32);
    r.newParams.FirstSector = kLogicalSlot;
    r.newParams.LastSector = kTargetLogical.start + kTargetLogical.sectors - 1;
    r.newParams.Primary = 0;
    r.newParams.SectorsPerCluster = fat32->SectorsPerCluster;
    r.newParams.DriveLetter = ' ';
    r.targetItem = disk;
    CVessmarDiskTables tables;
    CRestoreRunPreparer preparer(tables, nullptr, nullptr);
    const RestoreRunOutcome out = preparer.Prepare(r);
    ASSERT_TRUE(out.ready) << std::hex << out.failedCode;
    const KSProgressInfoT<wchar_t> end = FollowRunToEnd(*tasque);
    EXPECT_EQ(uint32_t(RESTORE_STATE_FINISH), end.State);
    EXPECT_EQ(0u, end.Result) << std::hex << end.Result;

    EXPECT_EQ(primaryBefore, SectorsMd5(target, kOtherPrimary.start, kOtherPrimary.sectors));
    EXPECT_EQ(laterBefore, SectorsMd5(target, kLaterLogical.start, kLaterLogical.sectors));
    const std::vector<TableRow> rowsAfter = TableOf(target);
    ASSERT_EQ(rowsBefore.size(), rowsAfter.size()) << CommandOutput("sfdisk --dump '" + target + "'");
    for (size_t i = 0; i < rowsBefore.size(); ++i) {
        EXPECT_EQ(rowsBefore[i].start, rowsAfter[i].start) << i;
        EXPECT_EQ(rowsBefore[i].size, rowsAfter[i].size) << i;
    }
    EXPECT_EQ(rowsBefore[0].type, rowsAfter[0].type);
    EXPECT_EQ(rowsBefore[3].type, rowsAfter[3].type);
    ExpectSameFatFiles(CutSectors(target, kTargetLogical.start, kTargetLogical.sectors, folder + "/restored.fat"),
                       CutSectors(fixture.Path(), fixture.fat32.start, fixture.fat32.sectors, folder + "/source.fat"));
}
