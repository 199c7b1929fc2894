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

#if defined(RVD_WITH_CHECKER)
#include <strings.h>
#include <unistd.h>

#include "IKSCheck.h"
#include "KSProgressInfo.h"
#endif

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

#if defined(RVD_WITH_CHECKER)
// The drive the checker reads: one disc at a time is in it, the one the checker
// asks for by number (or the one holding a file it asks for by name).
struct DiscShelf {
    std::vector<std::string> discImages; // disc n is discImages[n - 1]
    std::string drive;
    std::vector<std::string> asked;
    int other = 0;

    bool Insert(const std::string& image)
    {
        if (std::system(("rm -f '" + drive + "'*").c_str()) != 0)
            return false;
        for (const std::string& onDisc : FilesOnDisc(image))
            if (std::system(("isoinfo -i '" + image + "' -R -x '" + onDisc + "' > '" + drive + onDisc + "'").c_str()) != 0)
                return false;
        return true;
    }

    static unsigned long Prompt(void* context, unsigned long message, void* data)
    {
        DiscShelf* shelf = static_cast<DiscShelf*>(context);
        if (message == KS_IMG_MSG_INSERT_DISC) {
            const _KS_IMG_MSG_DISC* request = static_cast<const _KS_IMG_MSG_DISC*>(data);
            const std::wstring number = request->DiscNumber;
            shelf->asked.emplace_back(number.begin(), number.end());
            const size_t disc = static_cast<size_t>(std::wcstol(number.c_str(), nullptr, 10));
            if (disc < 1 || disc > shelf->discImages.size() || !shelf->Insert(shelf->discImages[disc - 1]))
                return KSMakeResult(2, KS_MODULE_CONSOLE, 0x607);
            return 0;
        }
        if (message != KS_IMG_MSG_LOCATE_FILE) {
            ++shelf->other;
            return KSMakeResult(1, KS_MODULE_CONSOLE, 0x607);
        }
        const _KS_IMG_MSG_FILE* file = static_cast<const _KS_IMG_MSG_FILE*>(data);
        const std::wstring wanted = file->Path;
        const std::string name(wanted.begin() + static_cast<std::ptrdiff_t>(wanted.rfind(L'/') + 1), wanted.end());
        shelf->asked.push_back(name);
        for (const std::string& image : shelf->discImages)
            for (const std::string& onDisc : FilesOnDisc(image))
                if (strcasecmp(onDisc.c_str() + 1, name.c_str()) == 0)
                    return shelf->Insert(image) ? 0 : KSMakeResult(3, KS_MODULE_CONSOLE, 0x607);
        return KSMakeResult(4, KS_MODULE_CONSOLE, 0x607);
    }
};

// Checks every volume of the set through the image checker, starting from the last
// disc's file alone.
void CheckFromDiscs(const std::vector<std::string>& discImages, const std::string& drive, size_t volumes)
{
    DiscShelf shelf;
    shelf.discImages = discImages;
    shelf.drive = drive;
    const std::vector<std::string> last = FilesOnDisc(discImages.back());
    ASSERT_EQ(last.size(), 1u);
    ASSERT_TRUE(shelf.Insert(discImages.back())) << "the last disc is in the drive";
    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectCheck(1, KS_CHECK_OBJECT_KIND, &object));
    IKSCheck* check = static_cast<IKSCheck*>(object);
    struct Releaser {
        IKSCheck* check;
        ~Releaser() { check->Release(); }
    } releaser{check};
    ASSERT_EQ(0u, check->SetPromptCall(&DiscShelf::Prompt, &shelf));
    std::wstring path = Wide(drive + last[0].substr(1));
    EXPECT_EQ(0u, check->IsPwdProtect(&path[0]));
    _KS_VERSION version{};
    int count = 1;
    ASSERT_EQ(0u, check->GetImageVersions(&version, 1, &count, &path[0]));
    std::vector<_KS_VOLUME> all(volumes);
    count = static_cast<int>(volumes);
    ASSERT_EQ(0u, check->GetImgVolumes(all.data(), static_cast<unsigned long>(volumes), &count, &version));
    ASSERT_EQ(count, static_cast<int>(volumes));
    ASSERT_EQ(0u, check->SetImgInfo(&version, &path[0]));
    for (_KS_VOLUME& volume : all)
        ASSERT_EQ(0u, check->AddCheck(&volume));
    ASSERT_EQ(0u, check->Execute());
    _KS_PROGRESS_INFO record{};
    do {
        ::usleep(5000);
        check->GetCheckProgress(&record);
    } while (record.State != KS_CHECK_STATE_FINISH && record.State != KS_CHECK_STATE_USER_CANCEL);
    EXPECT_EQ(0u, record.Result) << std::hex << record.Result;
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), record.State);
    EXPECT_FALSE(shelf.asked.empty()) << "the first disc is asked for";
    EXPECT_EQ(0, shelf.other);
}
#endif

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
#if defined(RVD_WITH_CHECKER)
    // Where the recovery system mounts a disc: the checker asks for files there.
    const std::string checked = work + "/disc/mnt/CD/";
    Shell("mkdir -p '" + checked + "'");
    CheckFromDiscs(discImages, checked, 11);
#endif
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
