// The backup engine reading lettered volumes live through the snapshot client and the
// driver's stand-in, while a test thread rewrites the volumes: the set holds the
// volumes as they were when their snapshots started.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "KSPlatformControl.h"
#include "KSResult.h"
#include "KSSnapRecords.h"
#include "KSSnapshotDriver.h"
#include "LiveBackupFixture.h"

namespace {

// Sectors the rewriting leaves alone: the boot area, and the partition's last sector,
// which lies past an NTFS volume and is read from the disk as it is.
constexpr uint64_t kKeepHead = 64;
constexpr uint64_t kKeepTail = 1;
// Rewritten in one go when the snapshot starts: more than the 8 MiB pool.
constexpr uint64_t kBurstSectors = 20480;

std::vector<std::string> SpillFilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        if (entry.path().extension() == ".zet")
            names.push_back(entry.path().string());
    return names;
}

class LiveBackup : public LiveVolumesTest {
protected:
    void SetUp() override
    {
        LiveVolumesTest::SetUp();
        Letter({{'N', disk_->ntfs, {}}, {'F', disk_->fat32, {}}});
    }

    // Runs the backup of both volumes with the temp folder given, rewriting each
    // volume from the moment its snapshot starts until the run ends.
    BackupOutcome BackupWhileRewriting(const std::string& tempFolder, const std::string& setFolder,
                                       bool& sawSpillFiles)
    {
        setenv("TMPDIR", tempFolder.c_str(), 1);
        std::atomic<int> current{-1};
        std::atomic<bool> finished{false};
        sawSpillFiles = false;
        KSSnapshotDriverOnRequest([&](uint32_t code) {
            if (code != IOCTL_SNAP_START)
                return;
            const int index = current.load() + 1;
            const LiveVolume& v = volumes_[static_cast<size_t>(index)];
            // A burst past the pool while no callback is set: the store spills.
            Rewrite(v.letter, kKeepHead, kKeepHead + kBurstSectors, 0xA5);
            // Drained into the store before the reader goes on.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (KSSnapshotDriverQueuedBlocks() != 0 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            sawSpillFiles = sawSpillFiles || !SpillFilesIn(tempFolder).empty();
            current = index;
        });
        // The rest of each volume is rewritten while the reader copies it.
        std::thread rewriter([&] {
            int done = -1;
            while (!finished.load()) {
                const int index = current.load();
                if (index == done) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    continue;
                }
                const LiveVolume& v = volumes_[static_cast<size_t>(index)];
                const uint64_t end = v.partition.sectors - kKeepTail;
                for (uint64_t at = kKeepHead + kBurstSectors; at < end && !finished.load(); at += 512)
                    Rewrite(v.letter, at, std::min<uint64_t>(at + 512, end), 0x5A);
                done = index;
            }
        });
        // Every sector stored, uncompressed, behind an unlettered FAT16 volume read as it
        // is: the set passes its smallest split size (50 MiB) during the FAT32 volume.
        BackupRequest request;
        request.imagePath = Wide(setFolder + "/live.rvd");
        request.partitions = {fat16_.index, volumes_[0].partition.index,
                              volumes_[1].partition.index};
        request.splitMiB = 50;
        request.level = 0;
        request.sectorBySector = 1;
        BackupOutcome outcome = RunBackup(request);
        if (std::getenv("QUELM_DEBUG_LINES") != nullptr)
            for (const std::string& line : KSPlatformDebugLines())
                std::fprintf(stderr, "%s\n", line.c_str());
        finished = true;
        rewriter.join();
        KSSnapshotDriverOnRequest(nullptr);
        return outcome;
    }

};

TEST_F(LiveBackup, SetHoldsTheVolumesAsTheyWereAtStartWhileTheyChange)
{
    const std::string setFolder = work_ + "/set";
    std::filesystem::create_directories(setFolder);
    bool sawSpillFiles = false;
    const BackupOutcome outcome = BackupWhileRewriting(temp_, setFolder, sawSpillFiles);
    ASSERT_EQ(0u, outcome.last.Result) << std::hex << outcome.last.Result;
    EXPECT_TRUE(sawSpillFiles) << "more than the pool was preserved";
    EXPECT_TRUE(SpillFilesIn(temp_).empty()) << "no spill file outlives the backup";
    EXPECT_EQ(0u, KSSnapshotDriverLiveSnapshots());
    EXPECT_GT(KSSnapshotDriverPreservedBlocks(), 0u);

    OpenedSet set(setFolder);
    EXPECT_GE(set.Files(), 2u) << "the set went on in a next file during the copy";
    for (size_t i = 0; i < volumes_.size(); ++i) {
        const LiveVolume& live = volumes_[i];
        SCOPED_TRACE(live.letter);
        EXPECT_NE(live.atStart, ReadFileBytes(image_, live.partition.start * kLiveSector, live.partition.sectors * kLiveSector))
            << "the volume did change during the backup";
        _KS_VOLUME v{};
        ASSERT_TRUE(set.Volume(i + 1, v));
        const std::string fromSet = work_ + "/from-set-" + live.letter;
        const std::string fromStart = work_ + "/from-start-" + live.letter;
        set.Rebuild(v, nullptr, fromSet);
        set.Rebuild(v, &live.atStart, fromStart);
        EXPECT_EQ(0, std::system(("cmp -s '" + fromSet + "' '" + fromStart + "'").c_str()))
            << "every stored cluster as it was at START";
        if (live.letter == 'N') {
            // NTFS keeps a copy of its boot sector just past the volume, outside the set.
            PutBackNtfsBootCopy(fromSet, v.TotalSectors, live.partition.sectors);
            EXPECT_EQ(0, std::system(("ntfsfix -n '" + fromSet + "' >/dev/null 2>&1").c_str()));
        } else {
            EXPECT_EQ(0, std::system(("fsck.fat -n '" + fromSet + "' >/dev/null 2>&1").c_str()));
        }
    }
}

TEST_F(LiveBackup, FailingSaveFailsTheBackup)
{
    const std::string setFolder = work_ + "/failing";
    std::filesystem::create_directories(setFolder);
    bool sawSpillFiles = true;
    const BackupOutcome outcome = BackupWhileRewriting(work_ + "/no-such-temp", setFolder, sawSpillFiles);
    EXPECT_FALSE(sawSpillFiles);
    EXPECT_TRUE(KSFailed(outcome.last.Result)) << "a backup over lost blocks does not report success";
    EXPECT_EQ(0x10Bu, KSResultKind(outcome.last.Result)) << std::hex << outcome.last.Result;
    EXPECT_EQ(0u, KSSnapshotDriverLiveSnapshots());
}

} // namespace
