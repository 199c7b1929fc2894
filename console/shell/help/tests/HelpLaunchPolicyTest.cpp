#include "CHelpViewerLauncher.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// Records every operation; never starts a process.
class RecordingProcesses : public IHelpViewerProcesses {
public:
    pid_t Start(const std::string& path, const std::string& topic) override
    {
        log.push_back("start " + path + "|" + topic);
        return nextPid;
    }
    void Signal(pid_t pid, int signal) override
    {
        EXPECT_GT(pid, 0) << "a signal to pid " << pid << " reaches other processes";
        log.push_back("signal " + std::to_string(pid) + " " + std::to_string(signal));
    }
    bool ReapIfEnded(pid_t pid, int* status) override
    {
        if (!ended.count(pid))
            return false;
        ended.erase(pid);
        *status = 0;
        return true;
    }

    pid_t nextPid = 1000;
    std::set<pid_t> ended;
    std::vector<std::string> log;
};

TEST(HelpLaunch, StartsTheViewerFromTheWorkingDirectoryWithItsTopic)
{
    RecordingProcesses processes;
    CHelpViewerLauncher launcher(&processes);
    ASSERT_TRUE(launcher.Launch(" BACKUP"));
    ASSERT_EQ(processes.log.size(), 1u);
    EXPECT_EQ(processes.log[0], "start " + HelpViewerPath() + "| BACKUP");
    EXPECT_EQ(launcher.HelpPid(), 1000);
}

TEST(HelpLaunch, ASecondLaunchEndsThePreviousViewerFirst)
{
    RecordingProcesses processes;
    CHelpViewerLauncher launcher(&processes);
    launcher.Launch("MainWindow");
    processes.nextPid = 1001;
    launcher.Launch("RESTORE");
    const std::vector<std::string> expected = {
        "start " + HelpViewerPath() + "|MainWindow",
        "signal 1000 6",
        "start " + HelpViewerPath() + "|RESTORE",
    };
    EXPECT_EQ(processes.log, expected);
    EXPECT_EQ(launcher.HelpPid(), 1001);
}

TEST(HelpLaunch, AFailedForkIsNeverStoredNorSignalled)
{
    RecordingProcesses processes;
    CHelpViewerLauncher launcher(&processes);
    processes.nextPid = -1;
    EXPECT_FALSE(launcher.Launch("MainWindow"));
    EXPECT_EQ(launcher.HelpPid(), 0);
    EXPECT_FALSE(launcher.Launch("MainWindow"));
    EXPECT_EQ(launcher.HelpPid(), 0);
    for (const std::string& entry : processes.log)
        EXPECT_EQ(entry.rfind("signal", 0), std::string::npos) << entry;

    // After a good start, a failed one keeps the live viewer's number, not -1.
    processes.nextPid = 1200;
    EXPECT_TRUE(launcher.Launch("MainWindow"));
    processes.nextPid = -1;
    EXPECT_FALSE(launcher.Launch("MainWindow"));
    EXPECT_EQ(launcher.HelpPid(), 1200);
}

TEST(HelpLaunch, AnEndedViewerIsCollectedAndItsNumberForgotten)
{
    RecordingProcesses processes;
    CHelpViewerLauncher launcher(&processes);
    launcher.Launch("MainWindow");
    processes.ended.insert(1000);
    EXPECT_EQ(launcher.ReapFinished(), 1);
    EXPECT_EQ(launcher.HelpPid(), 0);
    EXPECT_EQ(launcher.PendingViewers(), 0u);

    // Its number may belong to another process by now: it gets no signal.
    processes.nextPid = 1001;
    processes.log.clear();
    launcher.Launch("MainWindow");
    ASSERT_EQ(processes.log.size(), 1u);
    EXPECT_EQ(processes.log[0].rfind("start", 0), 0u);
}

TEST(HelpLaunch, TheProgramWideLauncherTakesATestSeam)
{
    RecordingProcesses processes;
    CHelpViewerLauncher::Instance().UseProcesses(&processes);
    EXPECT_TRUE(StartHelpViewer("CLONE_DISK"));
    CHelpViewerLauncher::Instance().UseProcesses(nullptr);
    ASSERT_EQ(processes.log.size(), 1u);
    EXPECT_EQ(processes.log[0], "start " + HelpViewerPath() + "|CLONE_DISK");
}

} // namespace
