#include "CloneWizardLifecycle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct CloneData {
    void SetEndSign(int sign) { endSign = sign; }
    int GetEndSign() const { return endSign; }
    int endSign = 0;
};

// Records the calls the launcher makes; its run may close the wizard from inside
// the way the real Quit path does (sign set, dialog destroyed).
struct FakeWizard {
    FakeWizard(std::vector<std::string>* log, CloneData* data, bool closesItself)
        : log(log), data(data), closesItself(closesItself)
    {
    }
    ~FakeWizard() { log->push_back("deleted"); }

    void SetDlg(FakeWizard* own) { log->push_back(own == this ? "SetDlg(own)" : "SetDlg(other)"); }
    int RunDlg()
    {
        log->push_back("RunDlg sign=" + std::to_string(data->GetEndSign()));
        if (closesItself) {
            data->SetEndSign(1);
            log->push_back("closed itself");
        }
        return 0;
    }
    void DestoryDlg() { log->push_back("DestoryDlg"); }

    std::vector<std::string>* log;
    CloneData* data;
    bool closesItself;
};

TEST(CloneWizardLifecycle, DestroysTheDialogOnlyWhenTheWizardDidNotAndAlwaysDeletesIt)
{
    struct Case {
        const char* name;
        int signBefore; // left over from an earlier run
        bool closesItself;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"closed by the window manager", 0, false, {"SetDlg(own)", "RunDlg sign=0", "DestoryDlg", "deleted"}},
        {"closed itself", 0, true, {"SetDlg(own)", "RunDlg sign=0", "closed itself", "deleted"}},
        {"stale sign from an earlier run", 1, false, {"SetDlg(own)", "RunDlg sign=0", "DestoryDlg", "deleted"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> log;
        CloneData data;
        data.endSign = c.signBefore;
        RunCloneWizardLifecycle(new FakeWizard(&log, &data, c.closesItself), &data);
        EXPECT_EQ(log, c.expected);
    }
}

TEST(CloneWizardLifecycle, NoWizardDoesNothing)
{
    CloneData data;
    data.endSign = 7;
    RunCloneWizardLifecycle(static_cast<FakeWizard*>(nullptr), &data);
    EXPECT_EQ(data.endSign, 7);
}

} // namespace
