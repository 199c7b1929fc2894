// The disk of a partition and its first sector, from a test root's sysfs files.
#include "EnvTestRoot.h"
#include "RecoveryEnv.h"
#include "SysfsPartition.h"

#include <gtest/gtest.h>

TEST(SysfsPartition, DiskOfEveryKernelNaming)
{
    EnvTestRoot root;
    struct Case {
        const char* disk;
        const char* partition;
        const char* start;
    } cases[] = {
        {"sda", "sda1", "2048\n"},
        {"sdaa", "sdaa1", "63"},
        {"nvme0n1", "nvme0n1p1", "4096\n"},
        {"mmcblk0", "mmcblk0p1", "8192\n"},
        {"hdb", "hdb2", "16065\n"},
    };
    for (const Case& c : cases)
        root.Write(std::string("/sys/block/") + c.disk + "/" + c.partition + "/start", c.start);
    root.MakeFolders("/sys/block/sdb");
    for (const Case& c : cases) {
        std::string disk;
        EXPECT_TRUE(FindDiskOfPartition(c.partition, disk)) << c.partition;
        EXPECT_EQ(disk, c.disk) << c.partition;
        EXPECT_EQ(GetPartStartSector(c.disk, c.partition), std::atoll(c.start)) << c.partition;
    }
    std::string disk = "unchanged";
    EXPECT_FALSE(FindDiskOfPartition("sdb1", disk));
    EXPECT_FALSE(FindDiskOfPartition("../sda/sda1", disk));
    EXPECT_FALSE(FindDiskOfPartition("", disk));
    EXPECT_EQ(disk, "unchanged");
    EXPECT_EQ(GetPartStartSector("sdb", "sdb1"), 0) << "no start file";
    root.Write("/sys/block/sdb/sdb1/start", "");
    EXPECT_EQ(GetPartStartSector("sdb", "sdb1"), 0) << "an empty start file";
}

TEST(SysfsPartition, SelfPartitionMissesGiveNullAndMinusOne)
{
    EnvTestRoot root;
    const std::string r = root.Root();
    int disk = 7;
    EXPECT_EQ(GetSelfPartition((r + "/mnt/P1/a.rvd").c_str(), disk), nullptr);
    EXPECT_EQ(disk, -1) << "no volume list";
    root.Write("/mnt/volinfo", r + "/dev/sdz1 on " + r + "/mnt/P1 type vfat (ro)\n");
    disk = 7;
    EXPECT_EQ(GetSelfPartition((r + "/mnt/P1/a.rvd").c_str(), disk), nullptr);
    EXPECT_EQ(disk, -1) << "a device no sysfs disk holds";
    disk = 7;
    EXPECT_EQ(GetSelfPartition("/home/a.rvd", disk), nullptr);
    EXPECT_EQ(disk, -1) << "a path under no mount point";
}
