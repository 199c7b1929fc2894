// The launch against a stub "Help" program that logs its arguments and signals.
#include "CHelpViewerLauncher.h"
#include "PosixHelpViewerProcesses.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A temporary directory that becomes the working directory for one test.
class HelpViewerStubTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/rvd-help-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        log_ = root_ + "/viewer.log";
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        previous_ = cwd;
    }
    void TearDown() override
    {
        // Ends any stub still running and collects it.
        for (int i = 0; i < 2 && launcher_.PendingViewers() > 0; ++i) {
            if (launcher_.HelpPid() > 0)
                kill(launcher_.HelpPid(), SIGTERM);
            WaitFor([&] { launcher_.ReapFinished(); return launcher_.PendingViewers() == 0; });
        }
        ASSERT_EQ(chdir(previous_.c_str()), 0);
        const std::string remove = "rm -rf '" + root_ + "'";
        ASSERT_EQ(std::system(remove.c_str()), 0);
    }

    void WriteStub(const std::string& dir)
    {
        const std::string path = dir + "/Help";
        std::ofstream out(path);
        // The traps come before the start line: once a test has seen "start", a
        // signal is always logged, never the shell's default death.
        out << "#!/bin/sh\n"
            << "trap 'echo \"abrt $$\" >> \"" << log_ << "\"; exit 0' ABRT\n"
            << "trap 'exit 0' TERM\n"
            << "echo \"start $$ $# [$0] [$1]\" >> '" << log_ << "'\n"
            << "while :; do sleep 0.05; done\n";
        out.close();
        ASSERT_EQ(chmod(path.c_str(), 0755), 0);
    }

    std::string LogText() { return ReadFile(log_); }

    std::string root_;
    std::string log_;
    std::string previous_;
    PosixHelpViewerProcesses processes_;
    CHelpViewerLauncher launcher_{&processes_};
};

TEST_F(HelpViewerStubTest, ViewerGetsItsPathAndTopic)
{
    WriteStub(root_);
    ASSERT_EQ(chdir(root_.c_str()), 0);
    ASSERT_TRUE(launcher_.Launch(" BACKUP"));
    const pid_t pid = launcher_.HelpPid();
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(WaitFor([&] { return !LogText().empty(); }));
    EXPECT_EQ(LogText(), "start " + std::to_string(pid) + " 1 [" + root_ + "/Help] [ BACKUP]\n");
}

TEST_F(HelpViewerStubTest, SecondLaunchAbortsTheFirstViewerAndCollectsIt)
{
    WriteStub(root_);
    ASSERT_EQ(chdir(root_.c_str()), 0);
    ASSERT_TRUE(launcher_.Launch("MainWindow"));
    const pid_t first = launcher_.HelpPid();
    ASSERT_TRUE(WaitFor([&] { return LogText().find("start " + std::to_string(first)) != std::string::npos; }));

    ASSERT_TRUE(launcher_.Launch("RESTORE"));
    const pid_t second = launcher_.HelpPid();
    ASSERT_NE(first, second);
    ASSERT_TRUE(WaitFor([&] { return LogText().find("start " + std::to_string(second)) != std::string::npos; }));
    ASSERT_TRUE(WaitFor([&] { return LogText().find("abrt " + std::to_string(first)) != std::string::npos; }));

    // The ended first viewer is collected: no zombie stays behind.
    ASSERT_TRUE(WaitFor([&] { launcher_.ReapFinished(); return launcher_.PendingViewers() == 1; }));
    EXPECT_EQ(launcher_.HelpPid(), second);
    EXPECT_EQ(waitpid(first, nullptr, WNOHANG), -1);
}

TEST_F(HelpViewerStubTest, MissingViewerEndsTheChildAtOnce)
{
    ASSERT_EQ(chdir(root_.c_str()), 0); // no "Help" here
    ASSERT_TRUE(launcher_.Launch("MainWindow"));
    // The child must leave with the exec-failure status, not run on as a second
    // copy of this program.
    ASSERT_TRUE(WaitFor([&] { launcher_.ReapFinished(); return launcher_.PendingViewers() == 0; }));
    const int status = launcher_.LastReapedStatus();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), PosixHelpViewerProcesses::kExecFailedStatus);
    EXPECT_EQ(launcher_.HelpPid(), 0);
}

TEST_F(HelpViewerStubTest, LongWorkingDirectoryIsNotCutOrOverrun)
{
    std::string dir = root_;
    for (int i = 0; i < 12; ++i) {
        dir += "/" + std::string(40, static_cast<char>('a' + i));
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    }
    ASSERT_GT(dir.size(), 400u);
    WriteStub(dir);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    EXPECT_EQ(HelpViewerPath(), dir + "/Help");
    ASSERT_TRUE(launcher_.Launch("CHECK_IMG_FILE"));
    ASSERT_TRUE(WaitFor([&] { return !LogText().empty(); }));
    EXPECT_NE(LogText().find("[" + dir + "/Help] [CHECK_IMG_FILE]"), std::string::npos) << LogText();
}

} // namespace
