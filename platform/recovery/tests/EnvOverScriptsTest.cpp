// The console's environment helpers over a root that the environment's own scripts
// set up: the partition behind a path, found through sysfs, the disk map and the
// device manager, and the disc commands as the stand-ins receive them.
#include "RecoveryEnv.h"
#include "RecoveryTestRoot.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IVessmarModule.h"

#include <gtest/gtest.h>

#include <regex>

namespace {
// The module as the console in bin/ finds it beside itself.
IVessmarModule* OpenBuiltVessmar()
{
    IModule* root = OpenModuleFromFile(RVD_VESSMAR_FILE);
    return root ? root->GetInterfaceT<IVessmarModule>("IVessmarModule") : nullptr;
}

// The partition starts sfdisk reports for a disk image, in table order.
std::vector<unsigned long long> SfdiskStarts(const std::string& image)
{
    std::vector<unsigned long long> starts;
    const std::string json = CommandOutput("sfdisk --json '" + image + "'");
    const std::regex start("\"start\": *([0-9]+)");
    for (std::sregex_iterator it(json.begin(), json.end(), start), end; it != end; ++it)
        starts.push_back(std::stoull((*it)[1]));
    return starts;
}
} // namespace

TEST(EnvOverScripts, SelfPartitionIsOnTheRightDiskAtSfdisksStart)
{
    const std::string source = RecoveryTestRoot::SourceDisk();
    const std::string disk = RecoveryTestRoot::EnvDisk();
    ASSERT_FALSE(disk.empty());
    RecoveryTestRoot env({source, disk});
    ASSERT_TRUE(env.Ready());
    ASSERT_EQ(env.RunScript("mwp"), 0);
    const std::vector<unsigned long long> sourceStarts = SfdiskStarts(source);
    const std::vector<unsigned long long> diskStarts = SfdiskStarts(disk);
    ASSERT_EQ(sourceStarts.size(), 1u);
    ASSERT_EQ(diskStarts.size(), 3u);
    SetEnvVessmarOpener(OpenBuiltVessmar);

    struct Case {
        const char* path;
        int disk;
        unsigned long long start;
    } cases[] = {
        {"/mnt/P1/a.txt", 0, sourceStarts[0]},
        {"/mnt/P2/images/backup.RVD", 1, diskStarts[0]},
        {"/mnt/P3", 1, diskStarts[1]},
    };
    for (const Case& c : cases) {
        int index = 99;
        IPartitionEntry* entry = GetSelfPartition(env.Path(c.path).c_str(), index);
        ASSERT_NE(entry, nullptr) << c.path;
        EXPECT_EQ(index, c.disk) << c.path;
        EXPECT_EQ(entry->GetStartSector(), c.start) << c.path;
    }
    int index = 99;
    EXPECT_EQ(GetSelfPartition(env.Path("/mnt/P4/x").c_str(), index), nullptr) << "no such volume";
    EXPECT_EQ(index, -1);
    SetEnvVessmarOpener(nullptr);
}

TEST(EnvOverScripts, DiscCommandsReachTheEnvironmentsPrograms)
{
    const std::string disc = MakeFixtureImage("recovery/env-disc.sh", "recovery-env-disc.img");
    const std::string source = RecoveryTestRoot::SourceDisk();
    ASSERT_FALSE(disc.empty());
    RecoveryTestRoot env({"--cd", disc, source});
    ASSERT_TRUE(env.Ready());
    const std::string r = env.Root();
    ASSERT_EQ(env.RunScript("startenv"), 0);
    env.ForgetCalls();

    EXPECT_TRUE(EjectCD(env.Path("/mnt/CD1/disc.rvd").c_str()));
    EXPECT_EQ(env.Calls(), (std::vector<std::string>{"umount\t" + r + "/mnt/CD1", "busybox\teject\t" + r + "/dev/sr0"}));
    env.ForgetCalls();
    EXPECT_FALSE(EjectCD(env.Path("/mnt/CD2").c_str()));
    EXPECT_TRUE(env.Calls().empty()) << "an unlisted disc runs nothing";

    EXPECT_TRUE(MountCD(env.Path("/mnt/CD1").c_str()));
    EXPECT_EQ(env.Calls(), (std::vector<std::string>{"mount\t" + r + "/dev/sr0\t" + r + "/mnt/CD1\t-t\tiso9660",
                                                     "mount\t-l"}));
    EXPECT_EQ(env.Read("/mnt/volcdrominfo"), r + "/dev/sr0 " + r + "/mnt/CD1 [RVD DISC]\n");
    EXPECT_EQ(env.Read("/mnt/CD1/disc.rvd"), "disc\n");
}
