// The check wizard's pages over the real command channel, checker and container, on
// sets the backup engine makes: a clean set passes; a copy with one byte flipped in a
// stored block of its second volume, and a split set whose middle file is cut short,
// fail with the message library's text of the checker's code; a protected set
// refuses a wrong password and passes with the right one; a split set with a middle
// file moved away names it through the disc change hand-over, and passes when it is
// put back or ends with the refusal's text when it is not.
#include <gtest/gtest.h>

#include <cstdio>
#include <dirent.h>
#include <strings.h>
#include <fcntl.h>
#include <unistd.h>

#include "BackupRunner.h"
#include "CChkImgDiscChange.h"
#include "CChkImgProceedLogic.h"
#include "CRecordingMessages.h"
#include "CSelectVolumeLogic.h"
#include "ChannelFixture.h"
#include "ChkImgRunState.h"
#include "ChkImgTexts.h"
#include "CommandOutput.h"
#include "DamagedSetCopy.h"
#include "EnvTestRoot.h"
#include "KSResult.h"
#include "MsgLib.h"
#include "RecordingEnvCommandRunner.h"
#include "../tests/RecordingChkImgWizard.h"

namespace {

std::string LibraryText(unsigned long code)
{
    char text[2048] = {};
    return ZeFormatFullMessage(static_cast<unsigned>(code), sizeof text, text) ? std::string(text) : std::string();
}

struct Result {
    std::string title, text;
};

std::string Flat(const SummaryText& text)
{
    std::string flat;
    for (const SummaryPiece& piece : text)
        flat += piece.text;
    return flat;
}

class RecordedView : public IChkImgProceedView {
public:
    std::vector<Result> results;
    int blocks = 0;
    std::vector<std::string> blockTexts;
    void SetText(const SummaryText&) override {}
    void AppendText(const SummaryText& text) override
    {
        ++blocks;
        blockTexts.push_back(Flat(text));
    }
    void ShowProgress(unsigned, unsigned) override {}
    void HideHelp() override {}
    void ShowResult(const std::string& title, int, const std::string& text) override { results.push_back({title, text}); }
    void EndCancelQuestion() override {}
};

// The user at the disc change dialog: notes the name asked for (the file's name,
// never a path) and, when told to, puts that file of the set (kept aside in the
// stash) into the drive's folder.
struct AnsweringUser : IDiscChangePrompt {
    std::string stash, drive;
    bool confirm = true;
    std::vector<std::string> asked;
    bool Ask(const std::string& displayName, bool, const std::string&) override
    {
        const std::string& name = displayName;
        asked.push_back(name);
        if (!confirm || asked.size() > 20)
            return false;
        // The set's naming rule and the name the file was written under may differ in
        // case, as on a disc; the user puts in the file that matches.
        std::string found;
        if (DIR* dir = opendir(stash.c_str())) {
            while (dirent* entry = readdir(dir))
                if (strcasecmp(entry->d_name, name.c_str()) == 0)
                    found = entry->d_name;
            closedir(dir);
        }
        EXPECT_FALSE(found.empty()) << name;
        return !found.empty() && std::system(("cp '" + stash + "/" + found + "' '" + drive + "/'").c_str()) == 0;
    }
};

// One wizard run: the path chosen on the selection page, every volume ticked, the
// check run to its end as the progress page polls it.
struct Walk {
    EnvTestRoot root;
    RecordingEnvCommandRunner runner;
    RecordingChkImgWizard wizard;
    CRecordingMessages messages;
    ChkImgRunState run;
    Tasque tasque = NewTasque();
    CSelectVolumeLogic select{wizard, messages, run, tasque.get(), &LibraryText};
    RecordedView view;
    IDiscChangePrompt* prompt = nullptr;
    std::vector<unsigned long> shownCodes; // the codes whose texts the progress page showed

    std::vector<_KS_VOLUME> ListedVolumes()
    {
        std::vector<_KS_VOLUME> volumes(16);
        int count = 0;
        _KS_VERSION version = select.Version();
        EXPECT_EQ(0u, tasque->CheckGetImgVolumes(volumes.data(), volumes.size(), &count, &version));
        volumes.resize(static_cast<size_t>(count > 0 ? count : 0));
        return volumes;
    }

    void Check()
    {
        select.OnNextClicked(ListedVolumes());
        AnsweringUser none;
        CChkImgDiscChange discs(&wizard, run, prompt ? prompt : &none, false);
        CChkImgProceedLogic proceed(wizard, view, run, discs, [this](unsigned long code) {
            shownCodes.push_back(code);
            return LibraryText(code);
        });
        ASSERT_TRUE(proceed.InitPage());
        for (int polls = 0; polls < 30000 && proceed.Poll(); ++polls) {
            discs.Serve();
            usleep(20000);
        }
        EXPECT_FALSE(proceed.Running());
    }

    // path chosen from the browser and checked: the run ends in one "Error" box with
    // the message library's text of a code from the container. The code, 0 when the
    // run did not end so.
    unsigned long FailsWithTheContainersText(const std::string& path)
    {
        EXPECT_EQ(CSelectVolumeLogic::Outcome::Listed, select.Choose(path, true));
        Check();
        if (view.results.size() != 1 || shownCodes.size() != 1) {
            ADD_FAILURE() << view.results.size() << " results, " << shownCodes.size() << " codes shown";
            return 0;
        }
        const unsigned long code = shownCodes[0];
        EXPECT_EQ("Error", view.results[0].title);
        EXPECT_EQ(static_cast<unsigned long>(KS_MODULE_CONTAINER), KSResultModule(code)) << std::hex << code;
        EXPECT_FALSE(view.results[0].text.empty());
        EXPECT_EQ(LibraryText(code), view.results[0].text);
        return code;
    }
};

std::string Narrow(const ImageSet& set, size_t file)
{
    return set.folder + "/" + set.files[file];
}

} // namespace

TEST(CheckWalk, ACleanSetPassesAndADamagedCopyFailsWithTheCodesText)
{
    const ImageSet set = BackUpFixture("check-walk-clean");
    ASSERT_EQ(1u, set.files.size());
    {
        Walk walk;
        ASSERT_EQ(CSelectVolumeLogic::Outcome::Listed, walk.select.Choose(Narrow(set, 0), true));
        ASSERT_NO_FATAL_FAILURE(walk.Check());
        ASSERT_EQ(1u, walk.view.results.size());
        EXPECT_EQ("Information", walk.view.results[0].title);
        EXPECT_EQ(CChkImgProceedLogic::kSucceeded, walk.view.results[0].text);
        EXPECT_EQ(2, walk.view.blocks);
        EXPECT_EQ(1u, walk.wizard.Count("DestoryDlg"));
    }
    // One byte in the middle of a stored block of the second volume (FAT32), found
    // through the reader's own block listing.
    const std::string copy = CopySet(set.folder, "check-walk-damaged") + "/" + set.files[0];
    const StoredBlockPlace place = LocateStoredBlock(copy, 1);
    ASSERT_GT(place.stored, 0u);
    ASSERT_NO_FATAL_FAILURE(FlipByte(copy, place.filePos + place.stored / 2));
    Walk walk;
    const unsigned long code = walk.FailsWithTheContainersText(copy);
    // The block no longer matches its CRC-64, or no longer inflates.
    EXPECT_TRUE(KSResultKind(code) == 0x00C || KSResultKind(code) == 0x064) << std::hex << code;
    // The run reached the second volume and ended there: its block was the last shown.
    ASSERT_EQ(2u, walk.view.blockTexts.size());
    ASSERT_EQ(2u, walk.select.Volumes().size());
    EXPECT_EQ(Flat(ChkImgTexts::VolumeBlock(copy.c_str(), *walk.select.Volumes()[1])), walk.view.blockTexts[1]);
    EXPECT_NE(std::string::npos, walk.view.blockTexts[1].find("FAT32")) << walk.view.blockTexts[1];
}

TEST(CheckWalk, ASplitSetWithAMiddleFileCutShortFailsWithTheCodesText)
{
    std::vector<std::string> files;
    const std::string original = BackUpSplitSet("check-walk-split-set", &files);
    ASSERT_GE(files.size(), 3u);
    {
        Walk walk;
        ASSERT_EQ(CSelectVolumeLogic::Outcome::Listed, walk.select.Choose(original + "/" + files.back(), true));
        ASSERT_NO_FATAL_FAILURE(walk.Check());
        ASSERT_EQ(1u, walk.view.results.size());
        EXPECT_EQ(CChkImgProceedLogic::kSucceeded, walk.view.results[0].text);
    }
    // Cut where it was written: the set's own file list names the files there, and a
    // good copy of the file elsewhere would be found through it.
    ASSERT_NO_FATAL_FAILURE(CutToHalf(original + "/" + files[1]));
    Walk walk;
    // The set's file list ends at the file that no longer reads: the version's chain
    // of files is broken.
    EXPECT_EQ(0x054u, KSResultKind(walk.FailsWithTheContainersText(original + "/" + files.back())));
}

TEST(CheckWalk, AProtectedSetAsksForThePasswordAndThenPasses)
{
    const ImageSet set = BackUpFixture("check-walk-locked", L"Geheim-42");
    Walk walk;
    ASSERT_EQ(CSelectVolumeLogic::Outcome::Protected, walk.select.Choose(Narrow(set, 0), true));
    EXPECT_FALSE(walk.select.Confirm(L"wrong"));
    ASSERT_EQ(1u, walk.messages.shown.size());
    EXPECT_EQ(CSelectVolumeLogic::kWrongPassword, walk.messages.shown[0].text);
    ASSERT_TRUE(walk.select.Confirm(L"Geheim-42")) << walk.messages.shown.back().text;
    ASSERT_NO_FATAL_FAILURE(walk.Check());
    ASSERT_EQ(1u, walk.view.results.size());
    EXPECT_EQ(CChkImgProceedLogic::kSucceeded, walk.view.results[0].text);
}

// A split set with files missing where the check reads it: read from a disc folder,
// only the last file is in the drive and the others wait in a stash until the check
// asks for them; read from its own folder, the middle file is moved to the stash.
// The set lies in a folder whose path alone fills the request's 63 characters.
class CheckSplitWalk : public ::testing::Test {
protected:
    ImageSet set;
    std::string drive, stash, middle;

    void SetUp() override
    {
        // Five stored copies of the FAT32 volume, sector by sector, in files of 50 MiB.
        const BackupDisk& disk = BackupDisk::Get();
        set.folder = MakeWorkFolder("check-walk-split") + "/" + std::string(64, 'f');
        ASSERT_EQ(0, std::system(("mkdir -p '" + set.folder + "'").c_str()));
        BackupRequest request;
        request.imagePath = Wide(set.folder + "/split.rvd");
        request.partitions.assign(5, disk.fat32.index);
        request.sectorBySector = 1;
        request.level = 0;
        request.splitMiB = 50;
        ASSERT_EQ(0u, RunBackup(request).last.Result);
        set.files = FilesIn(set.folder);
        ASSERT_GE(set.files.size(), 3u);
        middle = set.files[1];
        stash = set.folder + "/stash";
        ASSERT_EQ(0, std::system(("mkdir -p '" + stash + "'").c_str()));
    }
    // The files leave the folder they were written to, where the checker would find
    // them by themselves; the last one goes into the drive.
    void InTheDrive()
    {
        drive = set.folder + "/disc/mnt/CD";
        ASSERT_EQ(0, std::system(("mkdir -p '" + drive + "' && mv '" + set.folder + "'/*.* '" + stash + "/' && cp '" +
                                  stash + "/" + set.files.back() + "' '" + drive + "/'").c_str()));
    }
    void MiddleMovedAway()
    {
        drive = set.folder;
        ASSERT_EQ(0, std::rename((set.folder + "/" + middle).c_str(), (stash + "/" + middle).c_str()));
    }
    void RunWith(AnsweringUser& user, Walk& walk)
    {
        user.stash = stash;
        user.drive = drive;
        walk.prompt = &user;
        ASSERT_EQ(CSelectVolumeLogic::Outcome::Listed, walk.select.Choose(drive + "/" + set.files.back(), false));
        walk.Check();
    }
    bool Asked(const AnsweringUser& user, const std::string& name) const
    {
        for (const std::string& a : user.asked)
            if (strcasecmp(a.c_str(), name.c_str()) == 0)
                return true;
        return false;
    }
};

TEST_F(CheckSplitWalk, TheMissingFileIsNamedAndPutBackTheCheckPasses)
{
    ASSERT_NO_FATAL_FAILURE(InTheDrive());
    AnsweringUser user;
    Walk walk;
    RunWith(user, walk);
    ASSERT_GE(user.asked.size(), 1u) << (walk.view.results.empty() ? "" : walk.view.results[0].text);
    EXPECT_TRUE(Asked(user, middle)) << user.asked[0];
    ASSERT_EQ(1u, walk.view.results.size());
    EXPECT_EQ(CChkImgProceedLogic::kSucceeded, walk.view.results[0].text);
}

TEST_F(CheckSplitWalk, RefusingTheRequestEndsWithTheRefusalsText)
{
    ASSERT_NO_FATAL_FAILURE(InTheDrive());
    AnsweringUser user;
    user.confirm = false;
    Walk walk;
    RunWith(user, walk);
    ASSERT_GE(user.asked.size(), 1u);
    ASSERT_EQ(1u, walk.view.results.size());
    EXPECT_EQ("Error", walk.view.results[0].title);
    EXPECT_EQ(LibraryText(CChkImgProceedLogic::kCancelledByDiscRefusal), walk.view.results[0].text);
}

// In the set's own folder the checker asks for the missing middle file by name
// before it checks the version's chain of files: refused, the run ends with the
// refusal's text; put back, the check passes.
TEST_F(CheckSplitWalk, InTheSetsOwnFolderTheMissingFileIsAskedForByName)
{
    ASSERT_NO_FATAL_FAILURE(MiddleMovedAway());
    {
        AnsweringUser user;
        user.confirm = false;
        Walk walk;
        RunWith(user, walk);
        EXPECT_EQ(std::vector<std::string>{middle}, user.asked);
        ASSERT_EQ(1u, walk.view.results.size());
        EXPECT_EQ("Error", walk.view.results[0].title);
        EXPECT_EQ(LibraryText(CChkImgProceedLogic::kCancelledByDiscRefusal), walk.view.results[0].text);
    }
    AnsweringUser user;
    Walk walk;
    RunWith(user, walk);
    EXPECT_EQ(std::vector<std::string>{middle}, user.asked);
    ASSERT_EQ(1u, walk.view.results.size());
    EXPECT_EQ(CChkImgProceedLogic::kSucceeded, walk.view.results[0].text);
}
