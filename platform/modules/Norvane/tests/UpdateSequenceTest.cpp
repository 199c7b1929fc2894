#include <gtest/gtest.h>

#include <vector>

#include "LittleEndian.h"
#include "NtfsUpdateSequence.h"

namespace {

// A 1024-byte record with its array at 48: sequence number 0x0A0B, true tails
// 0x1111 and 0x2222 saved in the array.
std::vector<unsigned char> ProtectedRecord()
{
    std::vector<unsigned char> r(1024, 0x5A);
    StoreLE16(&r[4], 48);
    StoreLE16(&r[6], 3);
    StoreLE16(&r[48], 0x0A0B);
    StoreLE16(&r[50], 0x1111);
    StoreLE16(&r[52], 0x2222);
    StoreLE16(&r[510], 0x0A0B);
    StoreLE16(&r[1022], 0x0A0B);
    return r;
}

TEST(UpdateSequence, RestoresEveryStrideTail)
{
    std::vector<unsigned char> r = ProtectedRecord();
    ASSERT_TRUE(NtfsApplyUpdateSequence(r.data(), r.size()));
    EXPECT_EQ(LoadLE16(&r[510]), 0x1111);
    EXPECT_EQ(LoadLE16(&r[1022]), 0x2222);
    EXPECT_EQ(r[509], 0x5A);
}

TEST(UpdateSequence, RefusesDamagedRecordsAndLeavesThemUnchanged)
{
    struct Case {
        const char* what;
        size_t offset;
        uint16_t value;
        size_t size;
    } cases[] = {
        {"second tail torn (does not hold the sequence number)", 1022, 0x0A0C, 1024},
        {"first tail torn", 510, 0x0000, 1024},
        {"count too small for the record", 6, 2, 1024},
        {"count too large for the record", 6, 4, 1024},
        {"array offset past the first stride", 4, 508, 1024},
        {"array offset odd", 4, 49, 1024},
        {"array offset inside the head", 4, 2, 1024},
        {"size not a multiple of 512", 0, 0, 1000},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> r = ProtectedRecord();
        if (c.offset != 0)
            StoreLE16(&r[c.offset], c.value);
        const std::vector<unsigned char> before = r;
        EXPECT_FALSE(NtfsApplyUpdateSequence(r.data(), c.size)) << c.what;
        EXPECT_EQ(r, before) << c.what;
    }
}

} // namespace
