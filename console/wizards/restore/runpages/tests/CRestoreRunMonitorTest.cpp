#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "CRestoreRunMonitor.h"

namespace {

class RecordingView : public IRestoreRunView {
public:
    std::vector<std::string> log;
    std::string total, item, resultTitle, resultText;
    double totalFraction = -1, itemFraction = -1;
    int resultIcon = -1;
    bool cancelEnabled = true, nextEnabled = false;

    void UpdateProInfo(const std::string& t, double tf, const std::string& i, double itf) override
    {
        total = t;
        totalFraction = tf;
        item = i;
        itemFraction = itf;
    }
    void ShowItemDetails(int index) override { log.push_back("details " + std::to_string(index)); }
    void EnableCancel(bool e) override { cancelEnabled = e; }
    void EnableNext(bool e) override { nextEnabled = e; }
    void CloseCancelQuestion() override { log.push_back("close question"); }
    void ShowResult(const std::string& title, int icon, const std::string& text) override
    {
        log.push_back("result");
        resultTitle = title;
        resultIcon = icon;
        resultText = text;
    }
    void RunCleanup() override { log.push_back("umnt"); }
    void CloseWizard() override { log.push_back("close wizard"); }
    void TellEngineCancel() override { log.push_back("engine cancel"); }
    void AnswerDiscRequestCancel() override { log.push_back("disc cancel"); }
};

KSProgressInfoT<wchar_t> Progress(uint32_t state, uint16_t current = 0, uint16_t count = 2, uint32_t total = 40,
                                  uint32_t item = 80, uint32_t result = 0)
{
    KSProgressInfoT<wchar_t> p{};
    p.State = state;
    p.CurrentItem = current;
    p.ItemCount = count;
    p.OverallPercent = total;
    p.ItemPercent = item;
    p.Result = result;
    std::wcscpy(p.Text, L"NTFS");
    return p;
}

std::string Message(uint32_t code)
{
    return "text of " + std::to_string(code);
}

TEST(RestoreRunMonitor, PollsShowProgressUntilTheRunEnds)
{
    RecordingView view;
    CRestoreRunMonitor m(view, false, Message);
    EXPECT_TRUE(m.OnProgress(Progress(RESTORE_STATE_INITIALIZE)));
    EXPECT_EQ("Initialize!", view.total);
    EXPECT_EQ(0.0, view.totalFraction);
    EXPECT_EQ(0.0, view.itemFraction);
    EXPECT_TRUE(m.OnProgress(Progress(RESTORE_STATE_RUNNING, 1)));
    EXPECT_EQ("Total progress: 40%", view.total);
    EXPECT_EQ("NTFS: 80%", view.item);
    EXPECT_DOUBLE_EQ(0.4, view.totalFraction);
    // An index equal to the item count adds no details.
    EXPECT_TRUE(m.OnProgress(Progress(RESTORE_STATE_RUNNING, 2, 2)));
    EXPECT_EQ(std::vector<std::string>{"details 1"}, view.log);
    EXPECT_FALSE(m.OnProgress(Progress(RESTORE_STATE_FINISH, 1, 2, 100, 100)));
    EXPECT_EQ("Succeed", view.resultTitle);
    EXPECT_EQ(0, view.resultIcon);
    EXPECT_EQ(CRestoreRunMonitor::kSuccessText, view.resultText);
    EXPECT_EQ("NTFS:100%", view.item);
    EXPECT_FALSE(view.cancelEnabled);
    EXPECT_TRUE(view.nextEnabled);
    EXPECT_EQ(CRestoreRunMonitor::kFinished, m.GetState());
    // Cancel on a finished run closes the wizard.
    EXPECT_FALSE(m.OnQuit());
    EXPECT_EQ("close wizard", view.log.back());
}

TEST(RestoreRunMonitor, ResultBoxesByOutcome)
{
    struct Case { bool disk; uint32_t result; const char* title; int icon; std::string text; };
    const Case cases[] = {
        {false, 0, "Succeed", 0, CRestoreRunMonitor::kSuccessText},
        {true, 0, "Succeed", 4, CRestoreRunMonitor::kDiskSuccessText},
        {true, 0x0123A05B, "Error", 3, Message(0x0123A05B)},
    };
    for (const Case& c : cases) {
        RecordingView view;
        CRestoreRunMonitor m(view, c.disk, Message);
        m.OnProgress(Progress(RESTORE_STATE_FINISH, 1, 1, 100, 100, c.result));
        EXPECT_EQ(c.title, view.resultTitle);
        EXPECT_EQ(c.icon, view.resultIcon);
        EXPECT_EQ(c.text, view.resultText);
    }
}

// Without the message file (or without a text for the code) the box still says what
// failed: it names the code instead of staying empty.
TEST(RestoreRunMonitor, AFailureWithoutALibraryTextNamesItsCode)
{
    RecordingView view;
    CRestoreRunMonitor m(view, false, [](uint32_t) { return std::string(); });
    m.OnProgress(Progress(RESTORE_STATE_FINISH, 1, 1, 100, 100, 0x00A34607));
    EXPECT_EQ("Error", view.resultTitle);
    EXPECT_NE(std::string::npos, view.resultText.find("0x00A34607")) << view.resultText;
}

// The wizard closes only once the engine has ended: a cancel tells the engine and
// answers a waiting disc request, then polls on with Cancel disabled.
TEST(RestoreRunMonitor, CancelWaitsForTheEngineToStop)
{
    RecordingView view;
    CRestoreRunMonitor m(view, false, Message);
    m.OnProgress(Progress(RESTORE_STATE_RUNNING));
    ASSERT_TRUE(m.OnQuit());
    EXPECT_FALSE(view.cancelEnabled);
    m.OnCancelAnswer(true);
    EXPECT_EQ((std::vector<std::string>{"engine cancel", "disc cancel"}), view.log);
    EXPECT_FALSE(view.cancelEnabled);
    EXPECT_FALSE(m.OnQuit()) << "a second cancel asks nothing";
    EXPECT_TRUE(m.OnProgress(Progress(RESTORE_STATE_RUNNING))) << "still polling";
    EXPECT_EQ(2u, view.log.size()) << "not closed while the engine runs";
    EXPECT_FALSE(m.OnProgress(Progress(RESTORE_STATE_USER_CANCEL)));
    EXPECT_EQ((std::vector<std::string>{"engine cancel", "disc cancel", "umnt", "close wizard"}), view.log);
    EXPECT_EQ(CRestoreRunMonitor::kClosed, m.GetState());
}

TEST(RestoreRunMonitor, NoToTheQuestionGoesOn)
{
    RecordingView view;
    CRestoreRunMonitor m(view, false, Message);
    ASSERT_TRUE(m.OnQuit());
    m.OnCancelAnswer(false);
    EXPECT_TRUE(view.cancelEnabled);
    EXPECT_TRUE(view.log.empty());
    EXPECT_TRUE(m.OnProgress(Progress(RESTORE_STATE_RUNNING)));
}

TEST(RestoreRunMonitor, AnOpenQuestionIsClosedBeforeTheResultShows)
{
    RecordingView view;
    CRestoreRunMonitor m(view, false, Message);
    ASSERT_TRUE(m.OnQuit());
    m.OnProgress(Progress(RESTORE_STATE_FINISH, 1, 1, 100, 100));
    EXPECT_EQ((std::vector<std::string>{"close question", "result"}), view.log);
    // The question's late answer changes nothing.
    m.OnCancelAnswer(true);
    EXPECT_EQ(2u, view.log.size());
}

TEST(RestoreRunMonitor, EngineSideCancelSaysSoAndKeepsTheWizardOpen)
{
    const struct {
        uint32_t result;
        std::string text;
    } cases[] = {
        {0, CRestoreRunMonitor::kEngineCancelledText},
        {0x00051059, Message(0x00051059)},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.result);
        RecordingView view;
        CRestoreRunMonitor m(view, false, Message);
        EXPECT_FALSE(m.OnProgress(Progress(RESTORE_STATE_USER_CANCEL, 0, 2, 40, 80, k.result)));
        EXPECT_EQ((std::vector<std::string>{"umnt", "result"}), view.log);
        EXPECT_EQ("Error", view.resultTitle);
        EXPECT_NE(std::string::npos, view.resultText.find(k.text)) << view.resultText;
        EXPECT_TRUE(view.nextEnabled);
        EXPECT_FALSE(m.OnQuit());
        EXPECT_EQ("close wizard", view.log.back());
    }
}

} // namespace
