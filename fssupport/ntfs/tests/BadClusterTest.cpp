#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "CBadCluster.h"
#include "CNtfsVolume.h"
#include "LittleEndian.h"

namespace {

// A volume of 100 clusters of 512 bytes.
CNtfsVolume HundredClusters()
{
    std::vector<unsigned char> b(512, 0);
    std::memcpy(&b[3], "NTFS    ", 8);
    StoreLE16(&b[11], 512);
    b[13] = 1;
    StoreLE64(&b[40], 100);
    StoreLE64(&b[48], 4);
    StoreLE64(&b[56], 50);
    b[64] = 0xF6;
    b[68] = 0xF4;
    StoreLE16(&b[510], 0xAA55);
    CNtfsVolume volume;
    EXPECT_TRUE(volume.LoadFromBootSector(b.data()));
    return volume;
}

TEST(BadCluster, AddingBadClustersSplitsAndGrowsRuns)
{
    const CNtfsVolume volume = HundredClusters();
    CBadCluster bad;
    ASSERT_TRUE(bad.Init(volume));
    EXPECT_TRUE(bad.CheckValid(volume));
    EXPECT_FALSE(bad.IsBadCluster(10));

    ASSERT_TRUE(bad.AddBadCluster(10));
    ASSERT_EQ(bad.GetRuns().size(), 3u);
    EXPECT_TRUE(bad.IsBadCluster(10));
    EXPECT_FALSE(bad.IsBadCluster(11));
    EXPECT_EQ(bad.GetRuns()[1].LCN, 10);

    // The cluster right after a bad run extends it.
    ASSERT_TRUE(bad.AddBadCluster(11));
    ASSERT_EQ(bad.GetRuns().size(), 3u);
    EXPECT_EQ(bad.GetRuns()[1].Length, 2);
    EXPECT_EQ(bad.GetRuns()[2].VCN, 12);

    ASSERT_TRUE(bad.AddBadCluster(0)) << "the first cluster has no run before it";
    EXPECT_TRUE(bad.IsBadCluster(0));
    ASSERT_TRUE(bad.AddBadCluster(99));
    EXPECT_TRUE(bad.IsBadCluster(99));

    EXPECT_FALSE(bad.AddBadCluster(10)) << "already bad";
    EXPECT_FALSE(bad.AddBadCluster(100)) << "beyond the list";
    int64_t total = 0;
    for (const tagDataRun& run : bad.GetRuns())
        total += run.Length;
    EXPECT_EQ(total, 100);
}

} // namespace
