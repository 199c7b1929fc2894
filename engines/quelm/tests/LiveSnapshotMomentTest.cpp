// A live backup holds each volume as it stood at its snapshot, whatever changes after:
// files deleted and written between the snapshot's start and the reader's look at
// the file system.
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

} // namespace
