#include <gtest/gtest.h>

#include <thread>

#include "CBlockMap.h"
#include "KSResult.h"

namespace {
// Blocks of 8 sectors from sector 100; bits 0b1011'0110 0b0000'0001: blocks 1, 2, 4, 5, 7, 8 pending.
const uint8_t kBits[2] = {0xB6, 0x01};

void MakeMap(CBlockMap& map)
{
    ASSERT_EQ(0u, map.Init(100, 100 + 10 * 8, 8, sizeof(kBits), kBits));
}
}

TEST(CBlockMap, FindNextRunWalksPendingRuns)
{
    struct Case {
        uint64_t position;
        uint32_t count;
        bool found;
        uint64_t runStart;
        uint32_t runLength;
    };
    const Case cases[] = {
        {100, 128, true, 108, 16},   // moves ahead to block 1, runs over blocks 1-2
        {112, 128, true, 112, 12},   // inside block 1: less the part before the position
        {108, 5, true, 108, 5},      // at most the requested count
        {124, 128, true, 132, 16},   // block 3 is free: on to 4-5
        {148, 128, true, 156, 16},   // blocks 7-8 end the map's pending runs
        {172, 128, false, 172, 0},   // block 9 free, nothing after
        {180, 128, false, 180, 0},   // at the end
        {50, 128, true, 108, 16},    // before the first sector: from the first block
    };
    CBlockMap map;
    MakeMap(map);
    for (const Case& c : cases) {
        uint64_t position = c.position;
        uint32_t count = c.count;
        EXPECT_EQ(c.found, map.FindNextRun(position, count)) << c.position;
        EXPECT_EQ(c.runLength, count) << c.position;
        if (c.found) {
            EXPECT_EQ(c.runStart, position) << c.position;
        }
    }
}

TEST(CBlockMap, ClearTakesOnlyWholeBlocksAndCountPendingCountsTouchedBlocks)
{
    CBlockMap map;
    MakeMap(map);
    EXPECT_EQ(16u, map.CountPending(108, 16));
    EXPECT_EQ(10u, map.CountPending(110, 10)); // at most the count
    map.Clear(110, 10);                        // touches blocks 1 and 2 but covers neither wholly
    EXPECT_EQ(16u, map.CountPending(108, 16));
    map.Clear(108, 8);
    EXPECT_EQ(8u, map.CountPending(108, 16));
    uint64_t position = 100;
    uint32_t count = 128;
    ASSERT_TRUE(map.FindNextRun(position, count));
    EXPECT_EQ(116u, position);
    EXPECT_EQ(8u, count);
    EXPECT_EQ(0u, map.CountPending(180, 8)); // at the end
}

TEST(CBlockMap, BitsPastTheLastBlockNeverCount)
{
    // 3 blocks, but the caller's byte has every bit set.
    const uint8_t all = 0xFF;
    CBlockMap map;
    ASSERT_EQ(0u, map.Init(0, 3 * 4 + 2, 4, 1, &all));
    EXPECT_EQ(12u, map.CountPending(0, 100));
    uint64_t position = 12;
    uint32_t count = 100;
    EXPECT_FALSE(map.FindNextRun(position, count));
}

TEST(CBlockMap, RefusesBadArguments)
{
    CBlockMap map;
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(map.Init(0, 80, 0, 2, kBits)));
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(map.Init(0, 80, 8, 2, nullptr)));
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(map.Init(90, 80, 8, 2, kBits)));
    EXPECT_FALSE(map.Ready());
}

TEST(CBlockMap, TwoThreadsClearingDisjointBlocksLoseNoUpdate)
{
    std::vector<uint8_t> bits(1024, 0xFF);
    CBlockMap map;
    ASSERT_EQ(0u, map.Init(0, 8192, 1, bits.size(), bits.data()));
    std::thread even([&] { for (uint64_t b = 0; b < 8192; b += 2) map.Clear(b, 1); });
    std::thread odd([&] { for (uint64_t b = 1; b < 8192; b += 2) map.Clear(b, 1); });
    even.join();
    odd.join();
    EXPECT_EQ(0u, map.CountPending(0, 8192));
}
