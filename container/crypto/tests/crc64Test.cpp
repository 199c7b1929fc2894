#include "crc64.h"

#include <gtest/gtest.h>

#include "CryptoTestSupport.h"
#include "KSResult.h"

namespace {

// Bit-at-a-time CRC straight from the parameters: reflected polynomial
// 0x95AC9329AC4BC9B5, register all ones at the start, no final XOR.
uint64_t BitwiseCrc64(const Bytes& data)
{
    uint64_t reg = ~0ull;
    for (unsigned char byte : data) {
        reg ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 1) ? (reg >> 1) ^ 0x95AC9329AC4BC9B5ull : reg >> 1;
    }
    return reg;
}

TEST(crc64Test, CheckValueOf123456789)
{
    const Bytes check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    ASSERT_EQ(0xCAA717168609F281ull, BitwiseCrc64(check)); // the reference itself is right
    uint64_t crc = 0;
    ASSERT_EQ(0ul, crc64(check.data(), check.size(), &crc));
    EXPECT_EQ(0xCAA717168609F281ull, crc);
}

TEST(crc64Test, MatchesBitwiseDefinitionOnRandomData)
{
    for (size_t length : {1u, 2u, 7u, 8u, 9u, 15u, 16u, 17u, 255u, 256u, 257u, 319u, 320u, 383u, 4096u, 0x8000u, 0x8011u}) {
        const Bytes data = RandomBytes(length, static_cast<uint32_t>(length) + 64);
        uint64_t crc = 0;
        ASSERT_EQ(0ul, crc64(data.data(), data.size(), &crc));
        EXPECT_EQ(BitwiseCrc64(data), crc) << "length " << length;
    }
}

TEST(crc64Test, StartOffsetInsideAWordOrLaneDoesNotChangeTheValue)
{
    const Bytes data = RandomBytes(1000, 5);
    for (size_t start = 1; start < 16; ++start) {
        const Bytes tail(data.begin() + static_cast<long>(start), data.end());
        uint64_t crc = 0;
        ASSERT_EQ(0ul, crc64(data.data() + start, tail.size(), &crc));
        EXPECT_EQ(BitwiseCrc64(tail), crc) << "start " << start;
    }
}

TEST(crc64Test, DetectsASingleFlippedBit)
{
    Bytes data = RandomBytes(512, 99);
    uint64_t before = 0;
    ASSERT_EQ(0ul, crc64(data.data(), data.size(), &before));
    data[300] ^= 0x10;
    uint64_t after = 0;
    ASSERT_EQ(0ul, crc64(data.data(), data.size(), &after));
    EXPECT_NE(before, after);
}

TEST(crc64Test, EmptyInputGivesTheInitialRegister)
{
    const unsigned char byte = 0;
    uint64_t crc = 0;
    ASSERT_EQ(0ul, crc64(&byte, 0, &crc));
    EXPECT_EQ(~0ull, crc);
}

TEST(crc64Test, RefusesNullDataOrOutputWithTheContainerModule)
{
    const unsigned char data[4] = {1, 2, 3, 4};
    uint64_t crc = 0x1234;
    for (unsigned long result : {crc64(nullptr, 4, &crc), crc64(nullptr, 0, &crc), crc64(data, 4, nullptr)}) {
        EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(result));
        EXPECT_EQ(static_cast<unsigned long>(KS_MODULE_CONTAINER), KSResultModule(result));
    }
    EXPECT_EQ(0x1234ull, crc);
}

} // namespace
