// The environment's scripts over a test root with the recording stand-ins: what they
// mount where, the lists they write, and that a second run changes nothing.
#include "MountListLine.h"
#include "RecoveryTestRoot.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

int CountCalls(const std::vector<std::string>& calls, const std::string& prefix)
{
    int n = 0;
    for (const std::string& c : calls)
        n += c.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
    return n;
}
} // namespace

TEST(RecoveryScripts, PassShellcheck)
{
    int status = 0;
    const std::string out = CommandOutput("cd '" RVD_RECOVERY_SCRIPTS "' && shellcheck -x mwp umwp mcd umnt startenv envlib.sh 2>&1 && "
                                          "cd '" RVD_STANDIN_DIR "' && shellcheck -x mount umount blkid busybox standin-lib.sh "
                                          "env-root.sh env-disk.sh env-source-disk.sh env-disc.sh 2>&1",
                                          &status);
    EXPECT_EQ(status, 0) << out;
}

TEST(RecoveryScripts, MwpMountsReadablePartitionsInDiskOrderAndAgainChangesNothing)
{
    const std::string source = RecoveryTestRoot::SourceDisk();
    const std::string disk = RecoveryTestRoot::EnvDisk();
    ASSERT_FALSE(disk.empty());
    RecoveryTestRoot env({disk, source});
    ASSERT_TRUE(env.Ready());
    const std::string r = env.Root();

    ASSERT_EQ(env.RunScript("mwp"), 0);
    // sda1, sda2 (sda3 holds no file system), then sdb1.
    const std::string expected = r + "/dev/sda1 on " + r + "/mnt/P1 type vfat (ro) [IMAGES]\n" +
                                 r + "/dev/sda2 on " + r + "/mnt/P2 type vfat (ro) [DATA]\n" +
                                 r + "/dev/sdb1 on " + r + "/mnt/P3 type vfat (ro) [SOURCE]\n";
    EXPECT_EQ(env.Read("/mnt/volinfo"), expected);
    EXPECT_TRUE(Exists(r + "/mnt/P1/images/backup.RVD"));
    EXPECT_EQ(env.Read("/mnt/P2/docs/readme.txt"), "read me\n");
    EXPECT_FALSE(IsFolder(r + "/mnt/P4"));
    EXPECT_EQ(CountCalls(env.Calls(), "mount\t-r"), 3);

    env.ForgetCalls();
    ASSERT_EQ(env.RunScript("mwp"), 0);
    EXPECT_EQ(env.Read("/mnt/volinfo"), expected);
    EXPECT_EQ(CountCalls(env.Calls(), "mount\t-r"), 0) << "nothing is mounted twice";

    ASSERT_EQ(env.RunScript("umwp"), 0);
    EXPECT_FALSE(Exists(r + "/mnt/volinfo"));
    EXPECT_FALSE(IsFolder(r + "/mnt/P1"));
    EXPECT_EQ(env.Read("/.standin/mtab"), "");
    EXPECT_EQ(env.RunScript("umwp"), 0) << "undoing twice is no error";
}

TEST(RecoveryScripts, McdListsDiscsAsTheConsolesDiscMountDoes)
{
    const std::string disc = MakeFixtureImage("recovery/env-disc.sh", "recovery-env-disc.img");
    const std::string source = RecoveryTestRoot::SourceDisk();
    ASSERT_FALSE(disc.empty());
    ASSERT_FALSE(source.empty());
    RecoveryTestRoot env({"--cd", disc, source});
    ASSERT_TRUE(env.Ready());
    const std::string r = env.Root();

    ASSERT_EQ(env.RunScript("startenv"), 0);
    const std::string discLine = r + "/dev/sr0 " + r + "/mnt/CD1 [RVD DISC]\n";
    EXPECT_EQ(env.Read("/mnt/volcdrominfo"), discLine);
    EXPECT_EQ(env.Read("/mnt/CD1/disc.rvd"), "disc\n");
    EXPECT_EQ(env.Read("/mnt/volinfo"), r + "/dev/sda1 on " + r + "/mnt/P1 type vfat (ro) [SOURCE]\n");
    // The script's list and the console's own rewrite agree line for line.
    const std::string mtab = env.Read("/.standin/mtab");
    const std::string cdLine = mtab.substr(mtab.find(r + "/dev/sr0"));
    EXPECT_EQ(DiscListLine(cdLine.substr(0, cdLine.find('\n'))) + "\n", discLine);

    ASSERT_EQ(env.RunScript("mcd"), 0);
    EXPECT_EQ(env.Read("/mnt/volcdrominfo"), discLine) << "a second run keeps the disc as it is";
}

TEST(RecoveryScripts, UmntLeavesVolumesInUse)
{
    const std::string disc = MakeFixtureImage("recovery/env-disc.sh", "recovery-env-disc.img");
    const std::string disk = RecoveryTestRoot::EnvDisk();
    ASSERT_FALSE(disk.empty());
    RecoveryTestRoot env({"--cd", disc, disk});
    ASSERT_TRUE(env.Ready());
    const std::string r = env.Root();
    ASSERT_EQ(env.RunScript("startenv"), 0);
    std::ofstream(r + "/.standin/busy") << r << "/mnt/P2\n";

    ASSERT_EQ(env.RunScript("umnt"), 0);
    EXPECT_EQ(env.Read("/mnt/volinfo"), r + "/dev/sda2 on " + r + "/mnt/P2 type vfat (ro) [DATA]\n");
    EXPECT_EQ(env.Read("/mnt/volcdrominfo"), "");
    EXPECT_FALSE(IsFolder(r + "/mnt/P1"));
    EXPECT_FALSE(IsFolder(r + "/mnt/CD1"));
    EXPECT_TRUE(Exists(r + "/mnt/P2/docs/readme.txt"));
    EXPECT_EQ(env.RunScript("umnt"), 0);
    EXPECT_EQ(env.Read("/mnt/volinfo"), r + "/dev/sda2 on " + r + "/mnt/P2 type vfat (ro) [DATA]\n");
}
