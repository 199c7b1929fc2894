#include "md5.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "CryptoTestSupport.h"
#include "KSResult.h"

namespace {

std::string DigestOf(md5& hash, const std::string& text)
{
    hash.Init();
    EXPECT_EQ(0ul, hash.Update(reinterpret_cast<const unsigned char*>(text.data()), text.size()));
    hash.Finalize();
    return ToHex(hash.Digest(), md5::DigestSize);
}

// RFC 1321 appendix A.5, the test suite.
TEST(md5Test, Rfc1321TestSuite)
{
    const struct {
        const char* text;
        const char* digest;
    } kSuite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    md5 hash; // one object for all: Init must start each digest afresh
    for (const auto& entry : kSuite)
        EXPECT_EQ(entry.digest, DigestOf(hash, entry.text)) << '"' << entry.text << '"';
}

TEST(md5Test, ANewObjectNeedsNoInit)
{
    md5 hash;
    ASSERT_EQ(0ul, hash.Update(reinterpret_cast<const unsigned char*>("abc"), 3));
    hash.Finalize();
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", ToHex(hash.Digest(), md5::DigestSize));
}

// Lengths around the 56-byte padding boundary and the 64-byte block, fed in pieces
// of random sizes so that the buffering between Update calls is exercised.
TEST(md5Test, MatchesLibcryptoOnRandomDataFedInPieces)
{
    std::mt19937 engine(1321);
    for (size_t length : {1u, 55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u, 100000u}) {
        const Bytes data = RandomBytes(length, static_cast<uint32_t>(length));
        md5 hash;
        hash.Init();
        size_t offset = 0;
        while (offset < length) {
            const size_t piece = std::min<size_t>(length - offset, engine() % 150);
            ASSERT_EQ(0ul, hash.Update(data.data() + offset, piece));
            offset += piece;
        }
        hash.Finalize();
        EXPECT_EQ(ToHex(OpenSslMd5(data)), ToHex(hash.Digest(), md5::DigestSize)) << "length " << length;
    }
}

TEST(md5Test, NullInputIsRefusedUnlessEmpty)
{
    md5 hash;
    const unsigned long result = hash.Update(nullptr, 5);
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(result));
    EXPECT_EQ(static_cast<unsigned long>(KS_MODULE_HELPERS), KSResultModule(result));
    EXPECT_EQ(0ul, hash.Update(nullptr, 0));
    hash.Finalize();
    EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", ToHex(hash.Digest(), md5::DigestSize));
}

TEST(md5Test, FinalizeLeavesNoMessageBytesInTheObject)
{
    md5 hash;
    const std::string secret = "a password that must not linger";
    ASSERT_EQ(0ul, hash.Update(reinterpret_cast<const unsigned char*>(secret.data()), secret.size()));
    hash.Finalize();
    const unsigned char* raw = reinterpret_cast<const unsigned char*>(&hash);
    const std::string bytes(reinterpret_cast<const char*>(raw), sizeof hash);
    EXPECT_EQ(std::string::npos, bytes.find("password"));
    EXPECT_EQ(ToHex(OpenSslMd5(Bytes(secret.begin(), secret.end()))), ToHex(hash.Digest(), md5::DigestSize));
}

} // namespace
