// A backup to CD through the real burner: the tools run through Pip, the ISO builder
// is the real one, the discs are modelled CD-RWs of 400 MiB (files of 300 MiB). The
// set spans two discs; the files read back from the discs with isoinfo form a set
// that holds every volume.
#include <gtest/gtest.h>

#include <KSPlatformControl.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "KSResult.h"
#include "OpticalDevice.h"
#include "OpticalDriveState.h"
#include "SetChecks.h"

namespace {

optical::Disc Cd400()
{
    optical::Disc disc = optical::BlankCdRw(400);
    // A lead-out at 45:35:00 gives 2,736 seconds: 400 MiB by the ATIP rule.
    disc.leadOut[0] = 45;
    disc.leadOut[1] = 35;
    disc.leadOut[2] = 0;
    return disc;
}

void Shell(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

std::vector<std::string> FilesOnDisc(const std::string& image)
{
    std::vector<std::string> names;
    std::FILE* list = ::popen(("isoinfo -i '" + image + "' -R -f").c_str(), "r");
    char line[512];
    while (list && std::fgets(line, sizeof line, list)) {
        std::string name = line;
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
            name.pop_back();
        if (!name.empty())
            names.push_back(name);
    }
    if (list)
        ::pclose(list);
    return names;
}

TEST(BackupToDisc, TheSetSpansTwoDiscsAndReadsBackFromThem)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string work = MakeWorkFolder("to-disc");
    const std::string program = work + "/program", temp = work + "/temp", model = work + "/model",
                      read = work + "/read";
    Shell("mkdir -p '" + program + "' '" + temp + "' '" + model + "' '" + read + "'");
    ASSERT_TRUE(optical::UseModelTools(program, RVD_BIN_DIR, model, temp, 3ull << 30));
    optical::Drive drive;
    drive.letter = 'R';
    drive.disc = Cd400();
    ASSERT_TRUE(optical::RegisterDrive(model, drive));

    // Eleven copies of the FAT32 volume stored as they are: 374 MiB.
    BackupRequest request;
    request.imagePath = L"r:\\backup.rvd"; // typed in lower case
    request.storageType = KS_STORAGE_DISC;
    request.tempPath = L"T:\\";
    request.sectorBySector = 1;
    request.level = 0;
    request.partitions.assign(11, disk.fat32.index);
    std::vector<std::string> discImages;
    request.onMessage = [&](unsigned long message, void*) -> unsigned long {
        if (message != KS_BACKUP_MSG_NEED_DISC)
            return 1;
        // The full disc comes out and is kept; a blank one goes in.
        const std::string kept = work + "/disc" + std::to_string(discImages.size() + 1) + ".img";
        Shell("cp '" + optical::DiscImagePath(model, 'R') + "' '" + kept + "'");
        discImages.push_back(kept);
        optical::Drive current;
        EXPECT_TRUE(optical::Load(model, 'R', current));
        EXPECT_TRUE(optical::InsertDisc(model, current, Cd400()));
        return 0;
    };
    const BackupOutcome outcome = RunBackup(request);
    EXPECT_EQ(KS_BACKUP_STATE_FINISHED, outcome.last.State);
    EXPECT_EQ(0u, outcome.last.Result) << std::hex << outcome.last.Result;
    EXPECT_EQ(outcome.messages, std::vector<unsigned long>{KS_BACKUP_MSG_NEED_DISC});
    bool burned = false;
    for (uint32_t state : outcome.statesSeen)
        burned = burned || state == KS_BACKUP_STATE_BURNING;
    EXPECT_TRUE(burned);
    discImages.push_back(work + "/disc-last.img");
    Shell("cp '" + optical::DiscImagePath(model, 'R') + "' '" + discImages.back() + "'");
    EXPECT_TRUE(FilesIn(temp + "/ZeTemp").empty()) << "the staging folder is emptied";

    // Every file of the set, read back from the disc that holds it.
    size_t files = 0;
    for (const std::string& image : discImages) {
        const std::vector<std::string> names = FilesOnDisc(image);
        EXPECT_EQ(names.size(), 1u) << image;
        for (const std::string& name : names) {
            Shell("isoinfo -i '" + image + "' -R -x '" + name + "' > '" + read + name + "'");
            ++files;
        }
    }
    ASSERT_EQ(files, 2u);
    const std::vector<std::string> set = FilesIn(read);
    ASSERT_EQ(set.size(), 2u);
    std::unique_ptr<IKSCofran, CofranDeleter> last(OpenSet(Wide(read + "/" + set.back()), L""));
    ASSERT_TRUE(last);
    _KS_VOLUME volumes[11];
    ASSERT_EQ(0u, last->GetVolumes(volumes, 11));
    std::vector<std::unique_ptr<IKSCofran, CofranDeleter>> open;
    std::vector<IKSCofran*> sequential, others;
    for (const std::string& file : set) {
        open.emplace_back(OpenSet(Wide(read + "/" + file), L"", KS_OPEN_SEQUENTIAL));
        sequential.push_back(open.back().get());
        open.emplace_back(OpenSet(Wide(read + "/" + file), L""));
        others.push_back(open.back().get());
    }
    // The volume that runs from the first disc's file into the second's.
    for (const int i : {0, 8, 10}) {
        std::unique_ptr<IKSCofran, CofranDeleter> holder;
        for (const std::string& file : set) {
            holder.reset(OpenSet(Wide(read + "/" + file), L""));
            _KS_VOLUME copy = volumes[i];
            if (holder && holder->OpenVolume(&copy) == 0) {
                holder->CloseVolume();
                break;
            }
            holder.reset();
        }
        ASSERT_TRUE(holder) << i;
        CheckVolume(holder.get(), sequential, volumes[i], disk.fat32, KS_FS_FAT32, 0x0C, true, others);
    }
    optical::UnregisterDrive('R');
    optical::StopUsingModelTools();
}

TEST(BackupToDisc, AFailedBurnKeepsTheStagedFilesAndEndsWithItsCode)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string work = MakeWorkFolder("to-failing-disc");
    const std::string program = work + "/program", temp = work + "/temp", model = work + "/model";
    Shell("mkdir -p '" + program + "' '" + temp + "' '" + model + "'");
    ASSERT_TRUE(optical::UseModelTools(program, RVD_BIN_DIR, model, temp, 3ull << 30));
    optical::Drive drive;
    drive.letter = 'R';
    drive.disc = optical::BlankCdR();
    drive.failingTool = "cdrecord";
    ASSERT_TRUE(optical::RegisterDrive(model, drive));

    BackupRequest request;
    request.imagePath = L"R:\\backup.rvd";
    request.storageType = KS_STORAGE_DISC;
    request.tempPath = L"T:\\";
    request.partitions = {disk.fat32.index};
    // The writer fails; asked for another disc, the caller has none.
    request.onMessage = [](unsigned long message, void*) -> unsigned long {
        return message == KS_BACKUP_MSG_BAD_DISC ? 1 : 0;
    };
    const BackupOutcome outcome = RunBackup(request);
    EXPECT_EQ(KS_BACKUP_STATE_FINISHED, outcome.last.State);
    EXPECT_EQ(0x607u, KSResultKind(outcome.last.Result)) << std::hex << outcome.last.Result;
    EXPECT_EQ(outcome.messages, std::vector<unsigned long>{KS_BACKUP_MSG_BAD_DISC});
    const std::vector<std::string> staged = FilesIn(temp + "/ZeTemp");
    ASSERT_EQ(staged.size(), 1u) << "the backup's only copy stays";
    std::unique_ptr<IKSCofran, CofranDeleter> set(OpenSet(Wide(temp + "/ZeTemp/" + staged[0]), L""));
    ASSERT_TRUE(set);
    _KS_VOLUME volume[1];
    EXPECT_EQ(0u, set->GetVolumes(volume, 1));
    optical::Drive after;
    ASSERT_TRUE(optical::Load(model, 'R', after));
    EXPECT_TRUE(after.disc.tracks.empty());
    optical::UnregisterDrive('R');
    optical::StopUsingModelTools();
}

} // namespace
