#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "CChkImgDiscChange.h"
#include "CChkImgProceedLogic.h"
#include "CScriptedTasque.h"
#include "ChkImgRunState.h"
#include "EnvTestRoot.h"
#include "RecordingChkImgWizard.h"
#include "RecordingEnvCommandRunner.h"

namespace {

std::string ProceedTextOf(unsigned long code)
{
    char text[32];
    std::snprintf(text, sizeof text, "code %08lX", code);
    return text;
}

struct Result {
    std::string title;
    int icon;
    std::string text;
};

class RecordingView : public IChkImgProceedView {
public:
    std::vector<SummaryText> set, appended;
    std::vector<Result> results;
    unsigned current = 0, total = 0;
    int helpHidden = 0, questionsEnded = 0;
    std::function<void()> onResult;

    void SetText(const SummaryText& t) override { set.push_back(t); }
    void AppendText(const SummaryText& t) override { appended.push_back(t); }
    void ShowProgress(unsigned c, unsigned t) override { current = c, total = t; }
    void HideHelp() override { ++helpHidden; }
    void ShowResult(const std::string& title, int icon, const std::string& text) override
    {
        results.push_back({title, icon, text});
        if (onResult)
            onResult();
    }
    void EndCancelQuestion() override { ++questionsEnded; }
};

class Answering : public IDiscChangePrompt {
public:
    bool answer = false;
    int asked = 0;
    bool Ask(const std::string&, bool, const std::string&) override
    {
        ++asked;
        return answer;
    }
};

_KS_PROGRESS_INFO Step(uint16_t item, uint32_t state, uint32_t result = 0, uint32_t total = 0, uint32_t current = 0)
{
    _KS_PROGRESS_INFO p{};
    p.CurrentItem = item;
    p.State = state;
    p.Result = result;
    p.OverallPercent = total;
    p.ItemPercent = current;
    return p;
}

struct ProceedPage {
    EnvTestRoot root;
    RecordingEnvCommandRunner runner;
    RecordingChkImgWizard wizard;
    RecordingView view;
    ChkImgRunState run;
    CScriptedTasque tasque;
    Answering prompt;
    std::vector<_KS_VOLUME> records;
    std::vector<_KS_VOLUME*> volumes;
    CChkImgDiscChange discChange{&wizard, run, &prompt, false, 1};
    CChkImgProceedLogic logic{wizard, view, run, discChange, &ProceedTextOf};

    explicit ProceedPage(size_t count)
    {
        records.resize(count);
        for (size_t i = 0; i < count; ++i) {
            records[i].DriveLetter = static_cast<uint8_t>(2 + i);
            records[i].FileSystem = 4;
            records[i].TotalSectors = 2048;
        }
        for (_KS_VOLUME& v : records)
            volumes.push_back(&v);
        std::strcpy(wizard.info.szImagePath, "/mnt/P1/set.rvd");
        wizard.info.pVolumes = &volumes;
        wizard.info.nVolumeCount = static_cast<uint32_t>(count);
        wizard.info.pTasque = &tasque;
    }
    // Polls until the page stops; the number of polls.
    int PollToEnd()
    {
        int polls = 1;
        while (logic.Poll())
            ++polls;
        return polls;
    }
};

} // namespace

TEST(ChkImgProceedLogicTest, QueuesEveryVolumeThenStarts)
{
    ProceedPage p(3);
    p.run.cancelFromCD = true;
    ASSERT_TRUE(p.logic.InitPage());
    EXPECT_FALSE(p.run.cancelFromCD.load());
    EXPECT_FALSE(p.wizard.backEnabled);
    EXPECT_FALSE(p.wizard.nextEnabled);
    EXPECT_EQ(p.wizard.nextText, "_Proceed");
    EXPECT_EQ(p.view.helpHidden, 1);
    ASSERT_EQ(p.view.set.size(), 1u);
    EXPECT_EQ(p.view.set[0][0].text, "\n  Summary\n");
    const auto added = p.tasque.CallsOf(TasqueOp::AddCheck);
    ASSERT_EQ(added.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(added[i].volume.DriveLetter, 2 + i);
    EXPECT_EQ(p.tasque.CountOf(TasqueOp::CheckSetPromptCall), 1u);
    EXPECT_EQ(p.tasque.CountOf(TasqueOp::CheckExecute), 1u);
    EXPECT_TRUE(p.logic.Running());
}

TEST(ChkImgProceedLogicTest, ARefusedVolumeClosesTheWizardWithoutStarting)
{
    ProceedPage p(2);
    p.tasque.FailCall(TasqueOp::AddCheck, 0x00A50007, 1);
    EXPECT_FALSE(p.logic.InitPage());
    ASSERT_EQ(p.view.results.size(), 1u);
    EXPECT_EQ(p.view.results[0].title, "Error");
    EXPECT_EQ(p.view.results[0].text, ProceedTextOf(0x00A50007));
    EXPECT_EQ(p.wizard.Count("DestoryDlg"), 1u);
    EXPECT_EQ(p.tasque.CountOf(TasqueOp::AddCheck), 1u);
    EXPECT_EQ(p.tasque.CountOf(TasqueOp::CheckExecute), 0u);
    EXPECT_FALSE(p.logic.Running());
}

TEST(ChkImgProceedLogicTest, OneBlockPerVolumeAsTheIndexChanges)
{
    ProceedPage p(3);
    p.tasque.checkTimeline = {Step(0, 1, 0, 5, 10), Step(0, 2, 0, 20, 60), Step(1, 2, 0, 50, 5),
                              Step(1, 2, 0, 60, 40), Step(2, 2, 0, 90, 99), Step(2, 3, 0, 100, 100)};
    ASSERT_TRUE(p.logic.InitPage());
    EXPECT_EQ(p.PollToEnd(), 6);
    ASSERT_EQ(p.view.appended.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        std::string all;
        for (const SummaryPiece& s : p.view.appended[i])
            all += s.text;
        EXPECT_NE(all.find(std::string("  Drive letter: ") + char('C' + i)), std::string::npos) << all;
    }
    EXPECT_EQ(p.view.total, 100u);
    EXPECT_EQ(p.view.current, 100u);
    ASSERT_EQ(p.view.results.size(), 1u);
    EXPECT_EQ(p.view.results[0].title, "Information");
    EXPECT_EQ(p.view.results[0].text, "Succeed in checking backup image!");
    EXPECT_EQ(p.wizard.Count("DestoryDlg"), 1u);
    EXPECT_EQ(p.run.lastShownIndex, -1);
    EXPECT_FALSE(p.logic.Poll()); // the poll has ended for good
}

TEST(ChkImgProceedLogicTest, AnIndexBeyondTheQueuedVolumesShowsNothing)
{
    ProceedPage p(1);
    p.tasque.checkTimeline = {Step(0, 2), Step(1, 2), Step(7, 2), Step(0xFFFF, 3)};
    ASSERT_TRUE(p.logic.InitPage());
    p.PollToEnd();
    EXPECT_EQ(p.view.appended.size(), 1u);
}

TEST(ChkImgProceedLogicTest, FailedEndShowsTheCodeOrTheDiscRefusal)
{
    for (const bool refused : {false, true}) {
        ProceedPage p(1);
        p.tasque.checkTimeline = {Step(0, 2), Step(0, 3, 0x00A61234)};
        ASSERT_TRUE(p.logic.InitPage());
        p.run.cancelFromCD = refused;
        p.PollToEnd();
        ASSERT_EQ(p.view.results.size(), 1u);
        EXPECT_EQ(p.view.results[0].title, "Error");
        EXPECT_EQ(p.view.results[0].text, ProceedTextOf(refused ? 0x030F1607 : 0x00A61234));
    }
}

// Without the message file (or without a text for the code) the box still says what
// failed: it names the code instead of staying empty.
TEST(ChkImgProceedLogicTest, AFailureWithoutALibraryTextNamesItsCode)
{
    ProceedPage p(1);
    CChkImgProceedLogic logic{p.wizard, p.view, p.run, p.discChange, [](unsigned long) { return std::string(); }};
    p.tasque.checkTimeline = {Step(0, 2), Step(0, 3, 0x00A61234)};
    ASSERT_TRUE(logic.InitPage());
    p.run.cancelFromCD = true;
    while (logic.Poll()) {
    }
    ASSERT_EQ(p.view.results.size(), 1u);
    EXPECT_EQ(p.view.results[0].title, "Error");
    EXPECT_NE(p.view.results[0].text.find("0x030F1607"), std::string::npos) << p.view.results[0].text;
}

TEST(ChkImgProceedLogicTest, CancelledEndInformsAndUnmounts)
{
    ProceedPage p(1);
    p.tasque.checkTimeline = {Step(0, 2), Step(0, 4)};
    ASSERT_TRUE(p.logic.InitPage());
    p.PollToEnd();
    ASSERT_EQ(p.view.results.size(), 1u);
    EXPECT_EQ(p.view.results[0].text, "Image check is canceled.");
    EXPECT_EQ(p.wizard.Count("DestoryDlg"), 1u);
    ASSERT_EQ(p.runner.runs.size(), 1u);
    EXPECT_EQ(p.runner.runs[0], (std::vector<std::string>{p.root.Root() + "/mnt/umnt"}));
}

TEST(ChkImgProceedLogicTest, CancelQuestionAnswers)
{
    ProceedPage p(1);
    p.tasque.checkTimeline = {Step(0, 2)};
    // Before the check runs, Cancel closes the wizard at once.
    EXPECT_FALSE(p.logic.OnQuitClicked());
    EXPECT_EQ(p.wizard.Count("DestoryDlg"), 1u);
    ASSERT_TRUE(p.logic.InitPage());

    ASSERT_TRUE(p.logic.OnQuitClicked());
    p.logic.OnCancelAnswer(false);
    EXPECT_EQ(p.tasque.CountOf(TasqueOp::CheckUserCancel), 0u);
    EXPECT_TRUE(p.wizard.cancelEnabled);
    EXPECT_TRUE(p.logic.Poll());

    ASSERT_TRUE(p.logic.OnQuitClicked());
    p.logic.OnCancelAnswer(true);
    EXPECT_EQ(p.tasque.CountOf(TasqueOp::CheckUserCancel), 1u);
    EXPECT_FALSE(p.wizard.cancelEnabled);
    // The wizard stays until the checker reports the cancel.
    EXPECT_EQ(p.wizard.Count("DestoryDlg"), 1u);
    EXPECT_TRUE(p.logic.Poll());
}

TEST(ChkImgProceedLogicTest, TheFinishingPollEndsAnOpenQuestionOnce)
{
    ProceedPage p(1);
    p.tasque.checkTimeline = {Step(0, 2), Step(0, 3)};
    ASSERT_TRUE(p.logic.InitPage());
    ASSERT_TRUE(p.logic.OnQuitClicked()); // the question box runs...
    EXPECT_FALSE(p.logic.OnQuitClicked()); // ...and a second Cancel asks nothing more
    int endedBeforeResult = -1;
    p.view.onResult = [&] { endedBeforeResult = p.view.questionsEnded; };
    p.PollToEnd(); // ...while the check ends
    EXPECT_EQ(endedBeforeResult, 1);
    EXPECT_EQ(p.view.questionsEnded, 1);
    EXPECT_FALSE(p.logic.QuestionOpen());
    // The box returns late with Yes: the finished check is not cancelled.
    p.logic.OnCancelAnswer(true);
    EXPECT_EQ(p.tasque.CountOf(TasqueOp::CheckUserCancel), 0u);
    EXPECT_TRUE(p.wizard.cancelEnabled);
    EXPECT_EQ(p.view.questionsEnded, 1);
    EXPECT_EQ(p.wizard.Count("DestoryDlg"), 1u);
}

TEST(ChkImgProceedLogicTest, DiscRequestsFromTheCheckersThread)
{
    struct Case {
        unsigned long message;
        bool answer;
        unsigned long result;
        bool cancelled;
    };
    const Case cases[] = {{CD_CHANGE_MSG_FILE, true, 0, false},
                          {CD_CHANGE_MSG_DISC, false, 0x00DB1607, true},
                          {2, true, 0x00E01607, false}};
    for (const Case& c : cases) {
        ProceedPage p(1);
        p.prompt.answer = c.answer;
        ScriptedCallback request;
        request.message = c.message;
        std::wcsncpy(request.data.Name, L"set02.rvd", CD_CHANGE_NAME_CHARS);
        p.tasque.checkRequests = {request};
        ASSERT_TRUE(p.logic.InitPage());
        while (p.tasque.CallbackAnswers().empty()) {
            p.discChange.Serve();
            std::this_thread::yield();
        }
        p.tasque.JoinWorker();
        EXPECT_EQ(p.tasque.CallbackAnswers(), std::vector<unsigned long>{c.result}) << c.message;
        EXPECT_EQ(p.run.cancelFromCD.load(), c.cancelled);
        EXPECT_EQ(p.prompt.asked, c.result == 0x00E01607 ? 0 : 1);
    }
}
