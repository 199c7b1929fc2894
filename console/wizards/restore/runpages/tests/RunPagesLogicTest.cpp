#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "CDisplayInfoPageLogic.h"
#include "CFinishProcessPageLogic.h"
#include "CRecordingWizard.h"
#include "DiskTasque.h"
#include "RestorePagePosition.h"

namespace {

constexpr uint64_t kCylinder = 255 * 63;

std::string JoinedText(const SummaryText& t)
{
    std::string s;
    for (const SummaryPiece& p : t)
        s += p.text;
    return s;
}

_KS_VOLUME NtfsVolume()
{
    _KS_VOLUME v{};
    v.FileSystem = KS_FS_NTFS;
    v.Flags = KS_VOLFLAG_PRIMARY;
    v.TotalSectors = 4 * kCylinder - 63;
    v.UsedSectors = 30000;
    v.StartLessHidden = 0;
    v.HiddenPlusTotal = 4 * kCylinder;
    v.PartitionStart = 63;
    v.PartitionStartLow = 63;
    v.PartitionType = 0x07;
    v.SectorsPerTrack = 63;
    return v;
}

TEST(DisplayInfoPageLogic, WholeDiskOntoAUsedDiskAsksFirst)
{
    struct Case { uint32_t disk, empty; int answer; bool asked, next; };
    const Case cases[] = {{1, 1, 0, false, true}, {1, 0, 1, true, false}, {1, 0, 0, true, true}, {0, 0, 1, false, true}};
    for (const Case& c : cases) {
        CRecordingWizard wizard;
        wizard.info.bDiskRestore = c.disk;
        wizard.info.bMbrOnly = c.disk ? 0 : 1;
        wizard.info.bTargetDiskEmpty = c.empty;
        int asked = 0;
        CDisplayInfoPageLogic page(&wizard, [&](const char*, int, int, const char* text) {
            EXPECT_STREQ(CDisplayInfoPageLogic::kDeleteAll, text);
            ++asked;
            return c.answer;
        });
        EXPECT_EQ(c.next, page.OnNextClicked());
        EXPECT_EQ(c.asked ? 1 : 0, asked);
        EXPECT_EQ(c.next ? 1u : 0u, wizard.Count("OnNext"));
    }
}

TEST(DisplayInfoPageLogic, SummariesAndTheWayBack)
{
    CRecordingWizard wizard;
    wizard.info.nTargetDisk = 0;
    const _KS_VOLUME v = NtfsVolume();
    wizard.info.SetVolumes({nullptr});
    CDisplayInfoPageLogic page(&wizard, nullptr);
    EXPECT_NE(std::string::npos, JoinedText(page.InitPage()).find("     Hard disk: 0"));
    EXPECT_EQ("_Proceed", wizard.nextText);
    page.OnBackClicked();
    EXPECT_EQ(RESTORE_PAGE_TARGET_DISK, wizard.currentPage);

    wizard.info.SetVolumes({&v});
    wizard.info.newPartition.DriveLetter = '*';
    wizard.info.newPartition.FileSystem = 3;
    wizard.info.newPartition.FirstSector = 63;
    wizard.info.newPartition.LastSector = 63 + 2048 * 64 - 1;
    const std::string text = JoinedText(page.InitPage());
    EXPECT_NE(std::string::npos, text.find("        Hard disk:  1")) << text;
    EXPECT_NE(std::string::npos, text.find("      File system:  NTFS")) << text;
    EXPECT_NE(std::string::npos, text.find("             Size:  64.00 MB")) << text;
    page.OnBackClicked();
    EXPECT_EQ(RESTORE_PAGE_DRIVE_LETTER, wizard.currentPage);
}

class RecordingRunView : public IFinishProcessView {
public:
    std::vector<std::string> log;
    std::string summary;
    void ClearSummary() override { summary.clear(); }
    void AppendSummary(const SummaryText& t) override { summary += JoinedText(t); }
    void UpdateProInfo(const std::string&, double, const std::string&, double) override {}
    void EnableCancel(bool e) override { log.push_back(e ? "cancel on" : "cancel off"); }
    void EnableNext(bool e) override { log.push_back(e ? "next on" : "next off"); }
    void CloseCancelQuestion() override { log.push_back("close question"); }
    void ShowResult(const std::string& title, int, const std::string& text) override
    {
        log.push_back(title + ": " + text);
    }
    void RunCleanup() override { log.push_back("umnt"); }
};

struct RunWalk {
    CRecordingWizard wizard;
    FakeDisk disk{100 * kCylinder};
    DiskTasque tasque{disk};
    RecordingTables tables{tasque.calls};
    RecordingRunView view;
    _KS_VOLUME volume = NtfsVolume();
    CFinishProcessPageLogic page{&wizard, view, tables, [](uint32_t code) { return "code " + std::to_string(code); },
                                 5};

    RunWalk()
    {
        FakePartitionData made;
        made.start = 2 * kCylinder;
        made.count = 4 * kCylinder;
        made.type = 0x07;
        disk.Add(made);
        TagRestoreInfo& info = wizard.info;
        info.pTasque = &tasque;
        info.bMakePrimary = 1;
        info.SetVolumes({&volume});
        info.targetPartition.StartSector = 2 * kCylinder;
        info.targetPartition.SectorCount = 4 * kCylinder;
        info.llNewPartitionStart = 2 * kCylinder;
        info.llNewPartitionSectors = 4 * kCylinder;
        info.newPartition.FileSystem = 3;
        info.newPartition.FirstSector = 2 * kCylinder;
        info.newPartition.LastSector = 6 * kCylinder - 1;
        info.newPartition.Primary = 1;
        info.pTargetItem = &disk;
    }
    void Progress(uint32_t state, uint32_t result = 0)
    {
        _KS_PROGRESS_INFO p{};
        p.State = state;
        p.Result = result;
        p.ItemCount = 1;
        tasque.timeline.push_back(p);
    }
};

TEST(FinishProcessPageLogic, RunsAndEndsWithTheResult)
{
    RunWalk walk;
    walk.Progress(RESTORE_STATE_RUNNING);
    walk.Progress(RESTORE_STATE_FINISH);
    ASSERT_TRUE(walk.page.InitPage());
    EXPECT_EQ("_Finish", walk.wizard.nextText);
    EXPECT_FALSE(walk.wizard.backEnabled);
    EXPECT_EQ(1, walk.tasque.executes);
    EXPECT_EQ(1u, walk.wizard.info.bRunStarted);
    EXPECT_NE(std::string::npos, walk.view.summary.find(" Restoring partition"));
    EXPECT_TRUE(walk.page.Poll());
    EXPECT_FALSE(walk.page.Poll());
    EXPECT_EQ("Succeed: The operation is successfully completed!", walk.view.log.front());
}

TEST(FinishProcessPageLogic, AFailedPreparationShowsItsErrorAndStartsNothing)
{
    RunWalk walk;
    walk.tasque.failing = "FindPartition";
    EXPECT_FALSE(walk.page.InitPage());
    EXPECT_EQ(0, walk.tasque.executes);
    EXPECT_EQ(0u, walk.wizard.info.bRunStarted);
    EXPECT_EQ(1, walk.tables.refreshes);
    const auto& log = walk.view.log;
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(), "Error: code " + std::to_string(kFakeFailure)));
    EXPECT_EQ("next on", log.back()) << "Finish closes the wizard";
    // The only way on is to close.
    EXPECT_FALSE(walk.page.OnQuitClicked());
    EXPECT_EQ(1u, walk.wizard.Count("DestoryDlg"));
}

TEST(FinishProcessPageLogic, NoTargetItemStartsNothing)
{
    RunWalk walk;
    walk.wizard.info.pTargetItem = nullptr;
    EXPECT_FALSE(walk.page.InitPage());
    EXPECT_TRUE(walk.tasque.calls.empty());
}

// A cancel answers a disc request the engine's thread sleeps on, so the engine can
// stop; the wizard closes once the engine reports the cancelled run.
TEST(FinishProcessPageLogic, CancelReleasesAWaitingDiscRequest)
{
    RunWalk walk;
    walk.Progress(RESTORE_STATE_RUNNING);
    ASSERT_TRUE(walk.page.InitPage());
    unsigned long engineAnswer = 0;
    CD_CHANGE_INFO request{};
    std::thread engine([&] { engineAnswer = walk.page.Handshake().OnRequest(CD_CHANGE_MSG_FILE, &request); });
    while (!walk.page.Handshake().EngineWaiting())
        std::this_thread::yield();
    ASSERT_TRUE(walk.page.OnQuitClicked());
    walk.page.OnCancelAnswer(true);
    engine.join();
    EXPECT_EQ(CFinishProcessPageLogic::kDiscChangeCancelled, engineAnswer);
    EXPECT_EQ(1, std::count(walk.tasque.calls.begin(), walk.tasque.calls.end(), "RestoreUserCancel"));
    EXPECT_TRUE(walk.page.Poll()) << "polling on until the engine stops";
    EXPECT_EQ(0u, walk.wizard.Count("DestoryDlg"));
    walk.tasque.timeline.clear();
    walk.Progress(RESTORE_STATE_USER_CANCEL);
    EXPECT_FALSE(walk.page.Poll());
    EXPECT_EQ(1u, walk.wizard.Count("DestoryDlg"));
}

} // namespace
