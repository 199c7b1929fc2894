// Clones by file system: a live partition copied by the copier of its file system
// onto a partition of the same, a larger or a smaller size. Each cloned volume passes
// its checker and holds the same files; the source disks are never written; a target
// too small for the data fails before it is written.
//
// The disk enumeration keeps the disk list it reads first in a process, so this
// program names all its disks before anything enumerates them: the backup fixture
// disk (0), the disk of larger FAT volumes (1) and the target (2).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "BackupDisk.h"
#include "CDiskMap.h"
#include "CommandOutput.h"
#include "FixtureImage.h"
#include "IBrasketModule.h"
#include "ICensa.h"
#include "IKSRestore.h"
#include "KSResult.h"
#include "Mirrane.h"
#include "PeerBitmap.h"
#include "RestoreFixture.h"

namespace {
constexpr uint64_t kCloneTargetStart = 2048;
constexpr unsigned kCloneTargetDisk = 2;

struct CloneDisks {
    std::string fixture, largerFat, target;
};

const CloneDisks& ListCloneDisks()
{
    static const CloneDisks disks = [] {
        CloneDisks d;
        d.fixture = MakeFixtureImage("backup/backup-disk.sh", "backup-disk.img");
        d.largerFat = MakeFixtureImage("restore/fat-resize-disk.sh", "restore-fat-resize-disk.img");
        d.target = MakeWorkFolder("restore-clone-fs") + "/clone-target.img";
        EXPECT_EQ(0, std::system(("truncate -s 400M '" + d.target + "'").c_str()));
        setenv(CDiskMap::kImagesVariable, (d.fixture + ":" + d.largerFat + ":" + d.target).c_str(), 1);
        CreateCensaObj()->Init();
        BackupDisk::Get(); // finds the fixture's partitions as disk 0
        setenv(CDiskMap::kImagesVariable, (d.fixture + ":" + d.largerFat + ":" + d.target).c_str(), 1);
        return d;
    }();
    return disks;
}

// A fresh sparse target disk with one partition at sector 2048.
void MakeCloneTarget(const std::string& target, uint64_t sectors, const char* type)
{
    EXPECT_EQ(0, std::system(("rm -f '" + target + "' && truncate -s 400M '" + target +
                              "' && printf 'label: dos\\n1 : start=2048, size=" + std::to_string(sectors) +
                              ", type=" + type + "\\n' | sfdisk --quiet '" + target + "' >/dev/null 2>&1").c_str()));
}

bool ClonePartitionIsBlank(const std::string& disk, uint64_t sectors)
{
    return CommandOutput("dd if='" + disk + "' bs=512 skip=" + std::to_string(kCloneTargetStart) + " count=" +
                         std::to_string(sectors) + " status=none | tr -d '\\000' | wc -c") == "0\n";
}

// Clones the live partition onto the target partition by file system (option 0) and
// waits for the end of the run.
_KS_PROGRESS_INFO CloneOnto(unsigned sourceDisk, const FixturePartition& from, uint64_t sectors)
{
    void* object = nullptr;
    EXPECT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    _KS_RESTORE_TARGET source = TargetOf(from);
    source.DiskNumber = sourceDisk;
    _KS_RESTORE_TARGET target = TargetOf({kCloneTargetStart, sectors});
    target.DiskNumber = kCloneTargetDisk;
    EXPECT_EQ(0u, engine->AddDiskRestore(&source, &target, 0));
    _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
    return record;
}

TEST(RestoreCloneByFileSystem, LiveVolumesFitOntoPartitionsOfEverySizeOrFailBeforeTheWrite)
{
    const CloneDisks& disks = ListCloneDisks();
    ASSERT_FALSE(disks.fixture.empty());
    ASSERT_FALSE(disks.largerFat.empty());
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-clone-fs-work");
    const std::string sourcesBefore = Md5Of("cat '" + disks.fixture + "' '" + disks.largerFat + "'");
    const FixturePartition largerFat16{2048, 131072}, largerFat32{133120, 614400};
    const FixturePartition nowhere{disk.ntfs.start + 1000, disk.ntfs.sectors};
    constexpr unsigned long kMarked = 0xF0000000u; // a copier's own refusal
    struct CloneCase {
        unsigned sourceDisk;
        const FixturePartition* source;
        const char* type;
        uint64_t sectors;
        unsigned long result; // the run's whole result when a copier refuses
        unsigned long kind;   // the run's result kind when the engine refuses; both 0: success
    } cases[] = {
        {0, &disk.ntfs, "7", 32768, 0, 0},                                // same size
        {0, &disk.ntfs, "7", 98304, 0, 0},                                // larger
        {0, &disk.ntfs, "7", 16000, 0, 0},                                // smaller, about 5.5 MiB used
        {0, &disk.ntfs, "7", 4096, kMarked | MIRRANE_DOES_NOT_FIT, 0},    // too small for the data
        {0, &disk.fat32, "c", 69632, 0, 0},                               // same size
        {0, &disk.fat32, "c", 100000, 0, 0},                              // larger, its own clusters where libparted refuses
        {0, &disk.fat16, "6", 32768, 0, 0},                               // same size
        {0, &disk.fat16, "6", 70000, 0, 0},                               // larger, 2 sectors per cluster
        {0, &disk.fat16, "6", 131072, 0, 0},                              // larger, 4 sectors per cluster
        {0, &disk.fat16, "6", 50000, 0, 0},                               // larger, its own clusters where libparted refuses
        {0, &disk.fat16, "6", 4096, kMarked | BRASKET_SIZE_REFUSED, 0},   // too small for the data
        {1, &largerFat16, "6", 98304, 0, 0},                              // smaller
        {1, &largerFat32, "c", 560000, 0, 0},                             // smaller
        {0, &disk.fat12, "1", 8192, 0, KS_KIND_BAD_ARGUMENT},             // no copier for FAT12
        {0, &nowhere, "7", 32768, 0, 0x067},                              // no partition starts there
    };
    for (const CloneCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.sourceDisk) + ":" + std::to_string(c.source->start) + " onto " +
                     std::to_string(c.sectors));
        MakeCloneTarget(disks.target, c.sectors, c.type);
        const _KS_PROGRESS_INFO record = CloneOnto(c.sourceDisk, *c.source, c.sectors);
        if (c.result != 0 || c.kind != 0) {
            if (c.result != 0)
                EXPECT_EQ(record.Result, c.result) << std::hex << record.Result;
            else
                EXPECT_EQ(KSResultKind(record.Result), c.kind) << std::hex << record.Result;
            EXPECT_TRUE(ClonePartitionIsBlank(disks.target, c.sectors));
            continue;
        }
        ASSERT_EQ(record.Result, 0u) << std::hex << record.Result;
        EXPECT_EQ(record.OverallPercent, 100u);
        const std::string cloned = folder + "/cloned", original = folder + "/original";
        ASSERT_FALSE(ExtractPartition(disks.target, kCloneTargetStart, c.sectors, cloned).empty());
        const std::string& sourcePath = c.sourceDisk == 0 ? disks.fixture : disks.largerFat;
        ASSERT_FALSE(ExtractPartition(sourcePath, c.source->start, c.source->sectors, original).empty());
        if (c.source == &disk.ntfs) {
            ExpectSameNtfs(cloned, original);
            const std::string info = CommandOutput("ntfsinfo -m '" + cloned + "' 2>/dev/null");
            EXPECT_NE(info.find("Volume Size in Clusters: " + std::to_string((c.sectors - 1) / 8)), std::string::npos)
                << info;
        } else {
            ExpectSameFat(cloned, original, folder);
            const std::string fsck = CommandOutput("fsck.fat -n -v '" + cloned + "' 2>&1");
            EXPECT_NE(fsck.find(std::to_string(c.sectors) + " sectors total"), std::string::npos) << fsck;
        }
    }
    EXPECT_EQ(sourcesBefore, Md5Of("cat '" + disks.fixture + "' '" + disks.largerFat + "'"))
        << "a source disk was written";
}
}
