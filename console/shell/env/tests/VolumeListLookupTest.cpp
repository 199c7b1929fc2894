// The device lookups over the lists of a test root.
#include "EnvTestRoot.h"
#include "RecoveryEnv.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
constexpr const char* kUntouched = "untouched";

struct LookupCase {
    const char* name;
    const char* list;       // null: no list file
    const char* mountPoint; // inside the root
    bool found;
    const char* device;     // inside the root
};
} // namespace

TEST(VolumeListLookup, TableOfLists)
{
    const std::string longLabel(600, 'L');
    const std::string longLine = "/dev/sdb1 on /mnt/P2 type vfat (ro) [" + longLabel + "]\n";
    const std::string longLines = "/dev/sda1 on /mnt/P1 type vfat (ro) [" + longLabel + " /mnt/P2 ]\n" + longLine;
    const LookupCase cases[] = {
        {"first of two", "/dev/sda1 on /mnt/P1 type vfat (ro)\n/dev/sda2 on /mnt/P2 type ntfs (ro)\n", "/mnt/P1", true, "/dev/sda1"},
        {"P1 is not P10", "/dev/sda10 on /mnt/P10 type vfat (ro)\n/dev/sda1 on /mnt/P1 type vfat (ro)\n", "/mnt/P1", true, "/dev/sda1"},
        {"only P10 listed", "/dev/sda10 on /mnt/P10 type vfat (ro)\n", "/mnt/P1", false, nullptr},
        {"miss is false", "/dev/sda1 on /mnt/P1 type vfat (ro)\n", "/mnt/P3", false, nullptr},
        {"no list", nullptr, "/mnt/P1", false, nullptr},
        {"line without blank", "/mnt/P1\n", "/mnt/P1", false, nullptr},
        // A label over 259 bytes that holds the mount point in its second piece must
        // not take the lookup; the whole long line is matched.
        {"long lines read whole", longLines.c_str(), "/mnt/P2", true, "/dev/sdb1"},
    };
    for (const LookupCase& c : cases) {
        EnvTestRoot root;
        if (c.list) {
            // The lists name the mount points and devices as they are under the root.
            std::string text = c.list;
            for (size_t at = 0; (at = text.find("/mnt/", at)) != std::string::npos; at += root.Root().size() + 5)
                text.insert(at, root.Root());
            for (size_t at = 0; (at = text.find("/dev/", at)) != std::string::npos; at += root.Root().size() + 5)
                text.insert(at, root.Root());
            root.Write("/mnt/volinfo", text);
        }
        char out[kEnvDeviceBufferSize];
        std::strcpy(out, kUntouched);
        const std::string mountPoint = root.Root() + c.mountPoint;
        EXPECT_EQ(GetVolDevName(out, sizeof out, mountPoint.c_str()), c.found) << c.name;
        if (c.found)
            EXPECT_EQ(std::string(out), root.Root() + c.device) << c.name;
        else
            EXPECT_STREQ(out, kUntouched) << c.name;
    }
}

TEST(VolumeListLookup, DiscListAndBufferSize)
{
    EnvTestRoot root;
    root.Write("/mnt/volcdrominfo", "/dev/sr0 " + root.Root() + "/mnt/CD1 [DISC]\n");
    root.Write("/mnt/volinfo", "/dev/sda1 on " + root.Root() + "/mnt/CD1 type vfat (ro)\n");
    char out[kEnvDeviceBufferSize] = "";
    const std::string cd1 = root.Root() + "/mnt/CD1";
    EXPECT_TRUE(GetDevName(out, sizeof out, cd1.c_str()));
    EXPECT_STREQ(out, "/dev/sr0");
    EXPECT_FALSE(GetVolDevName(out, kEnvDeviceBufferSize - 1, cd1.c_str()));
    EXPECT_FALSE(GetDevName(out, kEnvDeviceBufferSize, (root.Root() + "/mnt/CD2").c_str()));
}

TEST(VolumeListLookup, MountPointOfPath)
{
    EnvTestRoot root;
    const std::string r = root.Root();
    EXPECT_EQ(MountPointOfPath(r + "/mnt/P2/images/a.rvd"), r + "/mnt/P2");
    EXPECT_EQ(MountPointOfPath(r + "/mnt/P10"), r + "/mnt/P10");
    EXPECT_EQ(MountPointOfPath(r + "/mnt/CD1/x"), r + "/mnt/CD1");
    EXPECT_EQ(MountPointOfPath(r + "/mnt/"), "");
    EXPECT_EQ(MountPointOfPath("/mnt/P1/a"), "") << "a path outside the root";
}
