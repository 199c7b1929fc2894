#include <gtest/gtest.h>

#include <vector>

#include "CWorkingBitmap.h"
#include "TBitmap.h"

namespace {

// A working bitmap of 4 bytes over 29 clusters, all bits of the source set.
CWorkingBitmap FullBitmap()
{
    TBitmap source;
    source.CreateBitmap(32);
    for (int i = 0; i < 32; ++i)
        source.SetBit(i, true);
    CWorkingBitmap bitmap;
    EXPECT_TRUE(bitmap.Init(source, 29));
    return bitmap;
}

TEST(WorkingBitmap, BitsPastTheLastClusterAreClear)
{
    CWorkingBitmap bitmap = FullBitmap();
    ASSERT_EQ(bitmap.GetSize(), 4u);
    EXPECT_EQ(bitmap.GetData()[3], 0x1F);
    TBitmap small;
    small.CreateBitmap(16);
    EXPECT_FALSE(bitmap.Init(small, 29)) << "a source shorter than the clusters";
}

TEST(WorkingBitmap, FixOutAndCheckKeepToTheBitmap)
{
    CWorkingBitmap bitmap = FullBitmap();
    EXPECT_TRUE(bitmap.FixOutBitmap(3, false, 6));
    EXPECT_EQ(bitmap.GetData()[0], 0x07);
    EXPECT_EQ(bitmap.GetData()[1], 0xFE);
    EXPECT_TRUE(bitmap.CheckBitmap(3, 6, false));
    EXPECT_FALSE(bitmap.CheckBitmap(2, 6, false));
    // A run ending at the bitmap's last bit is inside; one bit more is not.
    EXPECT_TRUE(bitmap.FixOutBitmap(24, true, 8));
    EXPECT_TRUE(bitmap.CheckBitmap(24, 8, true));
    EXPECT_FALSE(bitmap.FixOutBitmap(24, false, 9));
    EXPECT_FALSE(bitmap.CheckBitmap(24, 9, true));
    EXPECT_FALSE(bitmap.FixOutBitmap(-1, false, 2));
    EXPECT_TRUE(bitmap.CheckBitmap(24, 8, true)) << "a refused update changes nothing";
}

TEST(WorkingBitmap, CopyOutBoundsTheCopy)
{
    CWorkingBitmap bitmap = FullBitmap();
    struct Case {
        const char* what;
        uint64_t firstBit;
        uint64_t bitCount;
        bool ok;
        std::vector<unsigned char> expected;
    } cases[] = {
        {"from the second byte", 8, 16, true, {0xFF, 0xFF, 0xAA}},
        {"count rounded up to whole bytes", 0, 9, true, {0xFF, 0xFF, 0xAA, 0xAA}},
        {"count past the end copies to the end", 16, 1000, true, {0xFF, 0x1F, 0xAA, 0xAA}},
        {"the largest count copies to the end", 0, UINT64_MAX, true, {0xFF, 0xFF, 0xFF, 0x1F}},
        {"first bit not a multiple of 8", 4, 8, false, {0xAA, 0xAA, 0xAA, 0xAA}},
        {"first bit at the end", 32, 8, false, {0xAA, 0xAA, 0xAA, 0xAA}},
        {"first bit far past the end", 1ull << 40, 8, false, {0xAA, 0xAA, 0xAA, 0xAA}},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> out(4, 0xAA);
        EXPECT_EQ(bitmap.CopyOut(out.data(), c.firstBit, c.bitCount), c.ok) << c.what;
        out.resize(c.expected.size());
        EXPECT_EQ(out, c.expected) << c.what;
    }
    EXPECT_FALSE(bitmap.CopyOut(nullptr, 0, 8));
}

} // namespace
