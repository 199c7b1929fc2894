// The disc commands as argument vectors, over a test root's disc list.
#include "EnvTestRoot.h"
#include "RecordingEnvCommandRunner.h"
#include "RecoveryEnv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using Argv = std::vector<std::string>;

namespace {
std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
} // namespace

TEST(DiscCommands, EjectUnmountsThenEjectsTheListedDevice)
{
    EnvTestRoot root;
    const std::string r = root.Root();
    root.Write("/mnt/volcdrominfo", "/dev/sr1 " + r + "/mnt/CD10 [B]\n/dev/sr0 " + r + "/mnt/CD1 [A]\n");
    RecordingEnvCommandRunner runner;
    EXPECT_TRUE(EjectCD((r + "/mnt/CD1/folder/a.rvd").c_str()));
    const std::vector<Argv> expected = {{"umount", r + "/mnt/CD1"}, {"busybox", "eject", "/dev/sr0"}};
    EXPECT_EQ(runner.runs, expected);
}

TEST(DiscCommands, EjectOfAnUnlistedDiscRunsNothing)
{
    EnvTestRoot root;
    const std::string r = root.Root();
    RecordingEnvCommandRunner runner;
    EXPECT_FALSE(EjectCD((r + "/mnt/CD1").c_str())) << "no list at all";
    root.Write("/mnt/volcdrominfo", "/dev/sr0 " + r + "/mnt/CD10 [A]\n");
    EXPECT_FALSE(EjectCD((r + "/mnt/CD1").c_str())) << "only CD10 listed";
    EXPECT_FALSE(EjectCD(nullptr));
    EXPECT_TRUE(runner.runs.empty());
}

TEST(DiscCommands, MountRewritesTheDiscListFromTheMountTable)
{
    EnvTestRoot root;
    const std::string r = root.Root();
    root.Write("/mnt/volcdrominfo", "/dev/sr0 " + r + "/mnt/CD1 [OLD]\n");
    RecordingEnvCommandRunner runner;
    runner.captured = "/dev/sda1 on " + r + "/mnt/P1 type vfat (ro) [DATA]\n" +
                      "/dev/sr0 on " + r + "/mnt/CD1 type iso9660 (ro) [NEW DISC]\n";
    EXPECT_TRUE(MountCD((r + "/mnt/CD1").c_str()));
    const std::vector<Argv> expected = {{"mount", "/dev/sr0", r + "/mnt/CD1", "-t", "iso9660"}, {"mount", "-l"}};
    EXPECT_EQ(runner.runs, expected);
    EXPECT_EQ(ReadWhole(r + "/mnt/volcdrominfo"), "/dev/sr0 " + r + "/mnt/CD1 [NEW DISC]\n");
}

TEST(DiscCommands, AllDiscsAndUpdate)
{
    EnvTestRoot root;
    const std::string r = root.Root();
    RecordingEnvCommandRunner runner;
    EXPECT_FALSE(MountAllCD());
    EXPECT_FALSE(UnmountAllCD());
    root.Write("/mnt/volcdrominfo", "/dev/sr0 " + r + "/mnt/CD1 [A]\nnoblank\n/dev/sda1 " + r + "/mnt/P1 [X]\n/dev/sr1 " +
                                        r + "/mnt/CD2\n");
    EXPECT_TRUE(MountAllCD());
    EXPECT_TRUE(UnmountAllCD());
    const std::vector<Argv> expected = {
        {"mount", "/dev/sr0", r + "/mnt/CD1", "-t", "iso9660"},
        {"mount", "/dev/sr1", r + "/mnt/CD2", "-t", "iso9660"},
        {"umount", r + "/mnt/CD1"},
        {"umount", r + "/mnt/CD2"},
    };
    EXPECT_EQ(runner.runs, expected);

    runner.runs.clear();
    EXPECT_TRUE(UpdateCD());
    EXPECT_EQ(runner.runs, std::vector<Argv>{{r + "/mnt/mcd"}});
    EXPECT_EQ(runner.pausedSeconds, 2u);
    runner.status = -1;
    EXPECT_FALSE(UpdateCD()) << "a script that cannot start";
}

TEST(DiscCommands, PosixRunnerPassesTextAsOneArgument)
{
    // A device name read from a list never reaches a shell.
    IEnvCommandRunner& runner = EnvCommandRunner();
    std::string out;
    EXPECT_EQ(runner.Capture({"printf", "%s|", "a; touch /tmp/rvd-env-injected", "$(id)"}, out), 0);
    EXPECT_EQ(out, "a; touch /tmp/rvd-env-injected|$(id)|");
    EXPECT_EQ(runner.Run({"false"}), 1);
    EXPECT_EQ(runner.Run({"/nonexistent/rvd-program"}), -1);
}
