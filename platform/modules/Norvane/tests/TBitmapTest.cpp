#include <gtest/gtest.h>

#include <cstdint>

#include "TBitmap.h"

TEST(TBitmap, SizesAndBitOrder)
{
    TBitmap bitmap;
    EXPECT_FALSE(bitmap.CreateBitmap(0));
    // A bit count whose byte count would wrap round to nothing.
    EXPECT_FALSE(bitmap.CreateBitmap(UINT64_MAX));
    EXPECT_EQ(bitmap.GetBitmapSize(), 0u);
    ASSERT_TRUE(bitmap.CreateBitmap(13));
    EXPECT_EQ(bitmap.GetBitmapSize(), 2u);
    EXPECT_EQ(bitmap.GetMaxBitIndex(), 12);
    bitmap.SetBit(0, true);
    bitmap.SetBit(9, true);
    bitmap.SetBit(13, true); // past the end: ignored
    EXPECT_EQ(bitmap.GetBitmapData()[0], 0x01);
    EXPECT_EQ(bitmap.GetBitmapData()[1], 0x02);
    EXPECT_TRUE(bitmap.GetBit(9));
    EXPECT_FALSE(bitmap.GetBit(13));
    bitmap.SetBit(9, false);
    EXPECT_EQ(bitmap.GetBitmapData()[1], 0x00);
}
