// A live backup to modelled CDs through the real burner: the set's first file fills
// while a lettered volume is copied, its disc is burned and the user is asked for the
// next one. Programs keep writing to the volume meanwhile: their writes go through at
// once (the snapshot client keeps the preserved blocks itself while the engine cannot
// take them), and the set holds the volume as it stood at its snapshot.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "IKSBackup.h"
#include "KSResult.h"
#include "KSSnapshotDriver.h"
#include "LiveBackupFixture.h"
#include "OpticalDevice.h"
#include "OpticalDriveState.h"

namespace {

// A CD-RW of 400 MiB (a lead-out at 45:35:00): image files of 300 MiB.
optical::Disc Cd400Mib()
{
    optical::Disc disc = optical::BlankCdRw(400);
    disc.leadOut[0] = 45;
    disc.leadOut[1] = 35;
    disc.leadOut[2] = 0;
    return disc;
}

std::vector<std::string> NamesOnDisc(const std::string& image)
{
    std::vector<std::string> names;
    std::FILE* list = ::popen(("isoinfo -i '" + image + "' -R -f").c_str(), "r");
    char line[512];
    while (list != nullptr && std::fgets(line, sizeof line, list) != nullptr) {
        std::string name = line;
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
            name.pop_back();
        if (!name.empty())
            names.push_back(name);
    }
    if (list != nullptr)
        ::pclose(list);
    return names;
}

void Shell(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

class LiveDiscBackup : public LiveVolumesTest {
protected:
    void SetUp() override
    {
        LiveVolumesTest::SetUp();
        Letter({{'F', disk_->fat32, {}}});
    }
    void TearDown() override
    {
        optical::UnregisterDrive('R');
        optical::StopUsingModelTools();
        LiveVolumesTest::TearDown();
    }
};

TEST_F(LiveDiscBackup, WritesToTheVolumeGoThroughWhileTheDiscIsChanged)
{
    const LiveVolume& live = volumes_[0];
    const std::string program = work_ + "/program", staging = work_ + "/staging", model = work_ + "/model",
                      read = work_ + "/read";
    Shell("mkdir -p '" + program + "' '" + staging + "' '" + model + "' '" + read + "'");
    ASSERT_TRUE(optical::UseModelTools(program, RVD_BIN_DIR, model, staging, 3ull << 30));
    optical::Drive drive;
    drive.letter = 'R';
    drive.disc = Cd400Mib();
    ASSERT_TRUE(optical::RegisterDrive(model, drive));
    // The smallest change ring (8 MiB), and writers that give up after 3 s without room.
    for (uint32_t bytes : {0x2000000u, 0x1800000u, 0x1000000u})
        KSSnapshotDriverRefuseCacheSize(bytes);
    KSSnapshotDriverSetRingWait(3000);

    // Eighteen copies of the unlettered FAT16 volume (288 MiB), then the live FAT32
    // volume, all stored as they are: the first file fills during the live volume.
    BackupRequest request;
    request.imagePath = L"R:\\live.rvd";
    request.storageType = KS_STORAGE_DISC;
    request.tempPath = L"T:\\";
    request.sectorBySector = 1;
    request.level = 0;
    request.partitions.assign(18, disk_->fat16.index);
    request.partitions.push_back(live.partition.index);
    // 12 MiB of writes, half again what the ring holds, to the volume's last sectors:
    // not copied yet when the first file fills.
    const uint64_t writesEnd = live.partition.sectors - 1, writesFirst = writesEnd - 24576;
    std::vector<std::string> discImages;
    bool askedDuringTheLiveCopy = false;
    DWORD firstFailure = ERROR_SUCCESS;
    double writeSeconds = 0;
    request.onMessage = [&](unsigned long message, void*) -> unsigned long {
        if (message != KS_BACKUP_MSG_NEED_DISC)
            return 1;
        askedDuringTheLiveCopy = KSSnapshotDriverLiveSnapshots() == 1;
        // While the user fetches a disc, programs write to the volume.
        const auto started = std::chrono::steady_clock::now();
        std::vector<uint8_t> bytes(128 * kLiveSector, 0x6B);
        for (uint64_t at = writesFirst; at < writesEnd && firstFailure == ERROR_SUCCESS; at += 128)
            firstFailure = KSSnapshotDriverLiveWrite(live.letter, at, 128, bytes.data());
        writeSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        // The full disc comes out and is kept; a blank one goes in.
        const std::string kept = work_ + "/disc" + std::to_string(discImages.size() + 1) + ".img";
        Shell("cp '" + optical::DiscImagePath(model, 'R') + "' '" + kept + "'");
        discImages.push_back(kept);
        optical::Drive current;
        EXPECT_TRUE(optical::Load(model, 'R', current));
        EXPECT_TRUE(optical::InsertDisc(model, current, Cd400Mib()));
        return 0;
    };
    const BackupOutcome outcome = RunBackup(request);
    ASSERT_EQ(0u, outcome.last.Result) << std::hex << outcome.last.Result;
    ASSERT_EQ(outcome.messages, std::vector<unsigned long>{KS_BACKUP_MSG_NEED_DISC});
    EXPECT_TRUE(askedDuringTheLiveCopy) << "the disc was changed while the live volume was copied";
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), firstFailure) << "no write was refused for want of room";
    EXPECT_LT(writeSeconds, 20.0) << "the writes did not wait for the disc";
    EXPECT_NE(live.atStart, ReadFileBytes(image_, live.partition.start * kLiveSector, live.partition.sectors * kLiveSector))
        << "the volume did change during the backup";
    discImages.push_back(work_ + "/disc-last.img");
    Shell("cp '" + optical::DiscImagePath(model, 'R') + "' '" + discImages.back() + "'");

    // The set read back from the discs: the live copy as it stood at its snapshot.
    for (const std::string& image : discImages)
        for (const std::string& name : NamesOnDisc(image))
            Shell("isoinfo -i '" + image + "' -R -x '" + name + "' > '" + read + name + "'");
    OpenedSet set(read);
    ASSERT_EQ(2u, set.Files());
    _KS_VOLUME v{};
    ASSERT_TRUE(set.Volume(18, v));
    const std::string restored = work_ + "/restored", stored = work_ + "/stored", expected = work_ + "/expected";
    uint64_t conflicts = 0;
    set.RestoreBlocks(v, restored, conflicts);
    EXPECT_EQ(0u, conflicts) << "no cluster is stored twice with different contents";
    set.Rebuild(v, &live.atStart, stored);
    EXPECT_EQ(0, std::system(("cmp -s '" + restored + "' '" + stored + "'").c_str()))
        << "every sector as it was at the snapshot";
    WriteFileBytes(expected, live.atStart);
    ExpectSameFiles(expected, restored, false, work_);
}

} // namespace
