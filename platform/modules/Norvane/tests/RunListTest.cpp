#include <gtest/gtest.h>

#include <vector>

#include "CNtfsRunList.h"

namespace {

struct Good {
    const char* what;
    std::vector<unsigned char> pairs;
    std::vector<tagDataRun> runs;
    int64_t clusterCount = 0x80;
};

TEST(RunList, DecodesMappingPairs)
{
    const Good cases[] = {
        {"one run", {0x11, 0x08, 0x20, 0x00}, {{0x20, 0, 8}}},
        {"two runs, second after a backward jump",
         {0x11, 0x04, 0x40, 0x11, 0x02, 0xF0, 0x00},
         {{0x40, 0, 4}, {0x30, 4, 2}}},
        {"sparse run between two runs",
         {0x11, 0x02, 0x10, 0x01, 0x05, 0x11, 0x01, 0x04, 0x00},
         {{0x10, 0, 2}, {NTFS_SPARSE_LCN, 2, 5}, {0x14, 7, 1}}},
        {"two-byte length and three-byte offset", {0x32, 0x00, 0x01, 0x00, 0x10, 0x00, 0x00}, {{0x1000, 0, 256}},
         0x2000},
        {"a run ending at the volume's last cluster", {0x11, 0x10, 0x70, 0x00}, {{0x70, 0, 0x10}}},
        {"sparse run as long as the volume (as $BadClus has)", {0x02, 0x80, 0x00, 0x00}, {{NTFS_SPARSE_LCN, 0, 0x80}}},
        {"no runs at all", {0x00}, {}},
    };
    for (const Good& c : cases) {
        CNtfsRunList list;
        ASSERT_TRUE(list.DecodeMappingPairs(c.pairs.data(), c.pairs.size(), 0, c.clusterCount)) << c.what;
        ASSERT_EQ(list.GetRunCount(), c.runs.size()) << c.what;
        for (size_t i = 0; i < c.runs.size(); ++i) {
            EXPECT_EQ(list.GetRun(i).LCN, c.runs[i].LCN) << c.what << " run " << i;
            EXPECT_EQ(list.GetRun(i).VCN, c.runs[i].VCN) << c.what << " run " << i;
            EXPECT_EQ(list.GetRun(i).Length, c.runs[i].Length) << c.what << " run " << i;
        }
    }
}

TEST(RunList, RefusesDamagedMappingPairs)
{
    const std::pair<const char*, std::vector<unsigned char>> cases[] = {
        {"no terminating zero", {0x11, 0x08, 0x20}},
        {"run cut off by the end of the attribute", {0x21, 0x08, 0x20}},
        {"length of zero bytes", {0x10, 0x20, 0x00}},
        {"length field wider than 8 bytes", {0x19, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0x20, 0x00}},
        {"zero length", {0x11, 0x00, 0x20, 0x00}},
        {"negative length", {0x11, 0xFF, 0x20, 0x00}},
        {"run past the volume's end", {0x11, 0x10, 0x71, 0x00}},
        {"run starting past the volume's end", {0x21, 0x01, 0x00, 0x01, 0x00}},
        {"LCN going below zero", {0x11, 0x02, 0x10, 0x11, 0x01, 0xE0, 0x00}},
        {"huge sparse length", {0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00}},
        {"sparse run of 2^44 clusters, longer than the volume", {0x06, 0, 0, 0, 0, 0, 0x10, 0x00}},
        {"sparse run one cluster longer than the volume", {0x02, 0x81, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        CNtfsRunList list;
        EXPECT_FALSE(list.DecodeMappingPairs(c.second.data(), c.second.size(), 0, 0x80)) << c.first;
        EXPECT_TRUE(list.IsEmpty()) << c.first;
    }
}

TEST(RunList, AppendRenumbersAndLooksUpClusters)
{
    CNtfsRunList a;
    a.Append(tagDataRun{100, 0, 4});
    CNtfsRunList b;
    b.Append(tagDataRun{NTFS_SPARSE_LCN, 0, 2});
    b.Append(tagDataRun{50, 2, 3});
    a.Append(b);
    ASSERT_EQ(a.GetRunCount(), 3u);
    EXPECT_EQ(a.GetRun(1).VCN, 4);
    EXPECT_EQ(a.GetRun(2).VCN, 6);
    EXPECT_EQ(a.GetNextVcn(), 9);
    int64_t lcn = 0, left = 0;
    ASSERT_TRUE(a.VcnToLcn(7, lcn, left));
    EXPECT_EQ(lcn, 51);
    EXPECT_EQ(left, 2);
    ASSERT_TRUE(a.VcnToLcn(5, lcn, left));
    EXPECT_EQ(lcn, NTFS_SPARSE_LCN);
    EXPECT_FALSE(a.VcnToLcn(9, lcn, left));
}

} // namespace
