#include "IniHex.h"

#include <gtest/gtest.h>

namespace {

TEST(IniHex, Bin2HexGivesUpperCaseDigits)
{
    const char* digits = "0123456789ABCDEF";
    for (unsigned char nibble = 0; nibble < 16; ++nibble)
        EXPECT_EQ(tamVoke::bin2hex(nibble), digits[nibble]);
}

TEST(IniHex, BytesToHexWritesHighNibbleFirst)
{
    const unsigned char bytes[] = {0x00, 0x0A, 0xF0, 0xFF, 0x5C};
    EXPECT_EQ(tamVoke::BytesToHex(bytes, sizeof bytes), "000AF0FF5C");
    EXPECT_EQ(tamVoke::BytesToHex(bytes, 0), "");
}

} // namespace
