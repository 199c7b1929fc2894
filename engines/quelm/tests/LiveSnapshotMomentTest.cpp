// A live backup holds each volume as it stood at its snapshot, whatever changes after:
// files deleted and written between the snapshot's start and the reader's look at
// the file system, and a block written while the copy step reads around it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "KSResult.h"
#include "KSSnapRecords.h"
#include "KSSnapshotDriver.h"
#include "LiveBackupFixture.h"

namespace {

class LiveSnapshotMoment : public LiveVolumesTest {
protected:
    void SetUp() override
    {
        LiveVolumesTest::SetUp();
        Letter({{'N', disk_->ntfs, {}}, {'F', disk_->fat32, {}}});
        setenv("TMPDIR", temp_.c_str(), 1);
    }

    // Backs up one lettered volume, used clusters only, into a set of its own.
    BackupOutcome BackUp(const LiveVolume& live, const std::string& setFolder)
    {
        std::filesystem::create_directories(setFolder);
        BackupRequest request;
        request.imagePath = Wide(setFolder + "/moment.rvd");
        request.partitions = {live.partition.index};
        return RunBackup(request);
    }

    // The set's volume restored block by block, and the volume as it stood at the
    // snapshot, as files: every stored cluster and every file of the two must be the
    // same, and the restored one must check clean.
    void ExpectSnapshotState(const LiveVolume& live, const std::string& setFolder, bool ntfs)
    {
        OpenedSet set(setFolder);
        _KS_VOLUME v{};
        ASSERT_TRUE(set.Volume(0, v));
        const std::string restored = work_ + "/restored-" + live.letter;
        const std::string expected = work_ + "/expected-" + live.letter;
        const std::string stored = work_ + "/stored-" + live.letter;
        uint64_t conflicts = 0;
        set.RestoreBlocks(v, restored, conflicts);
        EXPECT_EQ(0u, conflicts) << "no cluster is stored twice with different contents";
        set.Rebuild(v, &live.atStart, stored);
        EXPECT_EQ(0, std::system(("cmp -s '" + restored + "' '" + stored + "'").c_str()))
            << "every stored cluster as it was at the snapshot";
        if (ntfs)
            PutBackNtfsBootCopy(restored, v.TotalSectors, live.partition.sectors);
        WriteFileBytes(expected, live.atStart);
        ExpectSameFiles(expected, restored, ntfs, work_);
    }
};

// Files deleted, shortened and written through the volume right after the snapshot
// starts, before the reader opens the file system: the set still holds every file as
// it was, with its clusters.
TEST_F(LiveSnapshotMoment, ChangesRightAfterTheSnapshotStartsAreNotInTheSet)
{
    struct Change {
        size_t volume;
        bool ntfs;
        std::string commands; // run on a copy of the volume named by $v
    };
    const Change changes[] = {
        {1, false,
         "export MTOOLS_SKIP_CHECK=1; mdel -i \"$v\" ::/BIG.BIN ::/DOCS/FILE3.TXT && "
         "head -c 70000 /dev/urandom > \"$v.new\" && mcopy -i \"$v\" \"$v.new\" ::/NEW.BIN"},
        {0, true,
         "ntfstruncate -q \"$v\" \"$(ntfsls -i \"$v\" | awk '$2 == \"file3.bin\" {print $1}')\" 0 && head -c 200000 /dev/urandom > \"$v.new\" && "
         "ntfscp -q -f \"$v\" \"$v.new\" new.bin"},
    };
    for (const Change& change : changes) {
        const LiveVolume& live = volumes_[change.volume];
        SCOPED_TRACE(live.letter);
        const std::string changedPath = work_ + "/changed-" + live.letter;
        WriteFileBytes(changedPath, live.atStart);
        ASSERT_EQ(0, std::system(("v='" + changedPath + "'; " + change.commands + " >/dev/null 2>&1").c_str()));
        const std::vector<uint8_t> changed = ReadFileBytes(changedPath, 0, live.atStart.size());
        ASSERT_NE(changed, live.atStart);

        std::atomic<unsigned long> written{~0ul};
        KSSnapshotDriverOnRequest([&](uint32_t code) {
            if (code == IOCTL_SNAP_START)
                written = WriteDifferences(live.letter, live.atStart, changed);
        });
        const std::string setFolder = work_ + "/set-" + live.letter;
        const BackupOutcome outcome = BackUp(live, setFolder);
        KSSnapshotDriverOnRequest(nullptr);
        ASSERT_EQ(0u, outcome.last.Result) << std::hex << outcome.last.Result;
        ASSERT_EQ(static_cast<unsigned long>(ERROR_SUCCESS), written.load()) << "the volume was changed";
        ASSERT_EQ(changed, ReadFileBytes(image_, live.partition.start * kLiveSector, live.partition.sectors * kLiveSector))
            << "the volume holds the change";
        ExpectSnapshotState(live, setFolder, change.ntfs);
    }
}

// The copy step's read of a run fails; while it pauses before the next try, the
// volume is written inside that run, the driver preserves the block and the snapshot
// client hands it to the reader, after which the driver serves current data there.
// The block is stored once, as it was at the snapshot.
TEST_F(LiveSnapshotMoment, ABlockWrittenWhileItsRunIsReadIsStoredAsItWas)
{
    const LiveVolume& live = volumes_[1];
    const uint8_t* boot = live.atStart.data();
    const uint64_t dataStart = (boot[14] | boot[15] << 8) +
                               uint64_t{boot[16]} * (boot[36] | boot[37] << 8 | boot[38] << 16 | uint32_t{boot[39]} << 24);
    std::atomic<uint64_t> written{0};
    std::atomic<DWORD> writeResult{ERROR_SUCCESS};
    KSSnapshotDriverBeforeRequest([&](const KSSnapshotDriverCall& call) -> DWORD {
        // The copy step reads the data area in runs of 128 sectors; the first such run
        // well inside the data fails once.
        if (call.code != IOCTL_SNAP_READ_SNAPSHOT || call.sectorCount < 64 || call.firstSector < dataStart + 256 ||
            written.load() != 0)
            return ERROR_SUCCESS;
        written = call.firstSector + 40;
        std::vector<uint8_t> sector(kLiveSector, 0xEE);
        writeResult = KSSnapshotDriverLiveWrite(live.letter, written.load(), 1, sector.data());
        return ERROR_IO_DEVICE;
    });
    const std::string setFolder = work_ + "/set-race";
    const BackupOutcome outcome = BackUp(live, setFolder);
    KSSnapshotDriverBeforeRequest(nullptr);
    ASSERT_EQ(0u, outcome.last.Result) << std::hex << outcome.last.Result;
    ASSERT_NE(0u, written.load()) << "a run of the copy step was read";
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), writeResult.load());
    ASSERT_EQ(0xEE, ReadFileBytes(image_, (live.partition.start + written.load()) * kLiveSector, 1)[0]);
    ExpectSnapshotState(live, setFolder, false);
}

} // namespace
