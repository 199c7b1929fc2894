#include "LittleEndian.h"

#include <gtest/gtest.h>

TEST(LittleEndian, StoresLowByteFirstAtAnyAlignment)
{
    unsigned char buf[17] = {};
    StoreLE16(buf + 1, 0xBEEF);
    StoreLE32(buf + 3, 0x46474D49);
    StoreLE64(buf + 7, 0x0102030405060708ull);
    const unsigned char want[17] = {0, 0xEF, 0xBE, 0x49, 0x4D, 0x47, 0x46, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0};
    EXPECT_EQ(0, memcmp(buf, want, sizeof buf));
    EXPECT_EQ(LoadLE16(buf + 1), 0xBEEF);
    EXPECT_EQ(LoadLE32(buf + 3), 0x46474D49u);
    EXPECT_EQ(LoadLE64(buf + 7), 0x0102030405060708ull);
}

TEST(LittleEndian, SequentialReaderAndWriterAgree)
{
    unsigned char buf[32] = {};
    const char16_t text[3] = {u'A', u'\u00e9', 0};
    LEWriter w(buf);
    w.U8(0xFE); w.U16(0x1234); w.U32(0xDEADBEEF); w.U64(~0ull); w.Utf16(text, 3); w.Zero(2);
    LEReader r(buf);
    EXPECT_EQ(r.U8(), 0xFE);
    EXPECT_EQ(r.U16(), 0x1234);
    EXPECT_EQ(r.U32(), 0xDEADBEEFu);
    EXPECT_EQ(r.U64(), ~0ull);
    char16_t back[3];
    r.Utf16(back, 3);
    EXPECT_EQ(back[1], u'\u00e9');
    EXPECT_EQ(buf[15], 'A');
    EXPECT_EQ(buf[16], 0);
}
