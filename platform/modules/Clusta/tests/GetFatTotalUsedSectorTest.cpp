#include <gtest/gtest.h>

#include "Clusta.h"
#include "FatMetadataSize.h"

namespace {
TEST(GetFatTotalUsedSectorTest, ReclustersTheDataAndAddsNewMetadata)
{
    // A FAT16 volume of 100,000 sectors, 4 sectors a cluster, 1 reserved sector.
    const uint32_t oldMetadata = 1 + 32 + 2 * static_cast<uint32_t>(SmallestTableSectors(1, 100000, 1, 4));
    const uint32_t used = oldMetadata + 1000 * 4;  // 1000 clusters in use
    struct Case { uint32_t newFs, newSectors, newCluster; uint64_t data; };
    const Case cases[] = {
        {1, 100000, 4, 4000},   // same geometry: the same clusters
        {1, 100000, 2, 4000},   // smaller clusters split exactly
        {1, 200000, 16, 16000}, // each old cluster may take a whole new one
        {2, 200000, 4, 4000 + 32},  // the fixed root becomes clusters on FAT32
    };
    for (const Case& c : cases) {
        const uint64_t reserved = c.newFs == 2 ? 32 : 1;
        const uint64_t metadata = reserved + FixedRootSectors(c.newFs) +
                                  2 * LargestTableSectors(c.newFs, c.newSectors, c.newCluster) + 2 * c.newCluster;
        EXPECT_EQ(metadata + c.data, GetFatTotalUsedSector(1, c.newFs, 100000, c.newSectors, 4, c.newCluster, used, 1))
            << c.newFs << " " << c.newSectors << " s" << c.newCluster;
    }
}

TEST(GetFatTotalUsedSectorTest, OtherFileSystemsKeepTheirFigure)
{
    EXPECT_EQ(5000u, GetFatTotalUsedSector(3, 3, 100000, 50000, 8, 8, 5000, 0));
    EXPECT_EQ(5000u, GetFatTotalUsedSector(1, 1, 100000, 50000, 0, 8, 5000, 0));
}
}  // namespace
