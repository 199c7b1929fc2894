#include <gtest/gtest.h>

#include "BcdDevice.h"
#include "LittleEndian.h"

namespace {

// An 88-byte partition device element: type, disk kind, partition style, offset, signature.
std::string Element(uint32_t type, uint32_t kind, uint32_t style, uint64_t offset, uint32_t signature)
{
    std::string data(88, '\0');
    auto* bytes = reinterpret_cast<unsigned char*>(&data[0]);
    StoreLE32(bytes + 16, type);
    StoreLE32(bytes + 24, 0x48);
    StoreLE64(bytes + 32, offset);
    StoreLE32(bytes + 48, kind);
    StoreLE32(bytes + 52, style);
    StoreLE32(bytes + 56, signature);
    return data;
}

TEST(BcdDevice, OnlyAnMbrPartitionNamingTheOldPlaceIsRewritten)
{
    const BcdPartitionPlace from{0x57494E44, 34816ull * 512}, to{0x7A7A0001, 40960ull * 512};
    struct Case {
        const char* name;
        std::string before;
        bool rewritten;
    } const cases[] = {
        {"the old place", Element(6, 0, 1, from.offset, from.signature), true},
        {"another partition of the disk", Element(6, 0, 1, 2048ull * 512, from.signature), false},
        {"the offset on another disk", Element(6, 0, 1, from.offset, 0x12345678), false},
        {"a GPT partition", Element(6, 0, 0, from.offset, from.signature), false},
        {"a boot device", Element(5, 0, 1, from.offset, from.signature), false},
        {"a RAM disk", Element(6, 3, 1, from.offset, from.signature), false},
        {"too short", Element(6, 0, 1, from.offset, from.signature).substr(0, 60), false},
    };
    for (const Case& c : cases) {
        std::string data = c.before;
        EXPECT_EQ(c.rewritten, RewriteBcdPartitionDevice(data, from, to)) << c.name;
        if (!c.rewritten) {
            EXPECT_EQ(c.before, data) << c.name;
            continue;
        }
        std::string expected = c.before;
        auto* bytes = reinterpret_cast<unsigned char*>(&expected[0]);
        StoreLE64(bytes + 32, to.offset);
        StoreLE32(bytes + 56, to.signature);
        EXPECT_EQ(expected, data) << c.name;
    }
    std::string same = Element(6, 0, 1, from.offset, from.signature);
    EXPECT_FALSE(RewriteBcdPartitionDevice(same, from, from)) << "nothing to change";
}

} // namespace
