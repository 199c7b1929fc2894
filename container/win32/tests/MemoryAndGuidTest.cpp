#include "KSGuid.h"
#include "KSMemory.h"
#include "KSResult.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <windows.h>

#include <cstring>
#include <string>

TEST(ReAllocMemory, KeepsTheContentsWhenGrowingAndShrinking)
{
    char* block = static_cast<char*>(ReAllocMemory(nullptr, 16));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "0123456789abcdef", 16);
    block = static_cast<char*>(ReAllocMemory(block, 1 << 20));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::memcmp(block, "0123456789abcdef", 16), 0);
    block = static_cast<char*>(ReAllocMemory(block, 4));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::memcmp(block, "0123", 4), 0);
    // Null means "out of memory" only: a size of 0 still gives a block to free later.
    block = static_cast<char*>(ReAllocMemory(block, 0));
    ASSERT_NE(block, nullptr);
    std::free(block);
}

TEST(ZlibHooks, DeflateAndInflateThroughThem)
{
    const std::string input(100000, 'r');
    z_stream deflater{};
    deflater.zalloc = kscalloc;
    deflater.zfree = kscfree;
    ASSERT_EQ(deflateInit(&deflater, Z_BEST_SPEED), Z_OK);
    std::string packed(compressBound(static_cast<uLong>(input.size())), '\0');
    deflater.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    deflater.avail_in = static_cast<uInt>(input.size());
    deflater.next_out = reinterpret_cast<Bytef*>(packed.data());
    deflater.avail_out = static_cast<uInt>(packed.size());
    ASSERT_EQ(deflate(&deflater, Z_FINISH), Z_STREAM_END);
    packed.resize(deflater.total_out);
    deflateEnd(&deflater);

    z_stream inflater{};
    inflater.zalloc = kscalloc;
    inflater.zfree = kscfree;
    ASSERT_EQ(inflateInit(&inflater), Z_OK);
    std::string output(input.size(), '\0');
    inflater.next_in = reinterpret_cast<Bytef*>(packed.data());
    inflater.avail_in = static_cast<uInt>(packed.size());
    inflater.next_out = reinterpret_cast<Bytef*>(output.data());
    inflater.avail_out = static_cast<uInt>(output.size());
    ASSERT_EQ(inflate(&inflater, Z_FINISH), Z_STREAM_END);
    inflateEnd(&inflater);
    EXPECT_EQ(output, input);
}

TEST(Guid, NewGuidsDifferAndAreMarkedRandom)
{
    GUID first{};
    GUID second{};
    ASSERT_EQ(KSCreateGuid(&first), 0ul);
    ASSERT_EQ(KSCreateGuid(&second), 0ul);
    EXPECT_FALSE(IsEqualGUID(first, second));
    EXPECT_EQ(first.Data3 >> 12, 4);
    EXPECT_EQ(first.Data4[0] & 0xC0, 0x80);

    GUID copy;
    std::memcpy(&copy, &first, sizeof copy);
    EXPECT_TRUE(IsEqualGUID(first, copy));
    copy.Data4[7] ^= 1;
    EXPECT_FALSE(IsEqualGUID(first, copy));

    const unsigned long refused = KSCreateGuid(nullptr);
    EXPECT_EQ(KSResultKind(refused), KS_KIND_BAD_ARGUMENT);
    EXPECT_EQ(KSResultModule(refused), KS_MODULE_CONTAINER);
}
