// Which list line belongs to a mount point, and what a line gives.
#include "MountListLine.h"

#include <gtest/gtest.h>

TEST(MountListLine, MountPointField)
{
    struct Case {
        const char* line;
        const char* mountPoint;
    } cases[] = {
        {"/dev/sda1 on /mnt/P1 type vfat (ro) [DATA]", "/mnt/P1"},
        {"/dev/sda10 on /mnt/P10 type vfat (ro) [DATA]", "/mnt/P10"},
        {"/dev/sda2 on /mnt/P2 type vfat (ro) [ /mnt/P1 ]", "/mnt/P2"},
        {"/dev/sr0 /mnt/CD1 [DISC]", "/mnt/CD1"},
        {"/dev/sr0\t/mnt/CD1", "/mnt/CD1"},
        {"/dev/sr0", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MountPointOfListLine(c.line), c.mountPoint) << c.line;
}

TEST(MountListLine, LabelDeviceAndDiscLine)
{
    EXPECT_EQ(LabelOfListLine("/dev/sda1 on /mnt/P1 type vfat (ro) [DATA]"), "[DATA]");
    EXPECT_EQ(LabelOfListLine("/dev/sda1 on /mnt/P1 type vfat (ro)"), "[]");
    std::string device = "unchanged";
    EXPECT_FALSE(DeviceOfListLine("/dev/sda1", device));
    EXPECT_EQ(device, "unchanged");
    EXPECT_TRUE(DeviceOfListLine("/dev/sda1 on /mnt/P1", device));
    EXPECT_EQ(device, "/dev/sda1");
    EXPECT_EQ(DiscListLine("/dev/sr0 on /mnt/CD1 type iso9660 (ro) [MY DISC]"), "/dev/sr0 /mnt/CD1 [MY DISC]");
    // As the environment's list writer does: without a label the whole line follows.
    EXPECT_EQ(DiscListLine("/dev/sr0 on /mnt/CD1 type iso9660 (ro)"),
              "/dev/sr0 /mnt/CD1 /dev/sr0 on /mnt/CD1 type iso9660 (ro)");
}
