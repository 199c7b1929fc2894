// The five block modes against independent references: libcrypto for ECB, CBC, CFB
// and OFB, and for CTR a keystream built here from libcrypto's ECB over our own
// little-endian counter (libcrypto's CTR counts big-endian).
#include "AesCipher.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "CryptoTestSupport.h"

namespace {

struct ModeName {
    unsigned long mode;
    const char* openSsl;
};

const ModeName kReferenceModes[] = {
    {AesCipher::ModeEcb, "ecb"},
    {AesCipher::ModeCbc, "cbc"},
    {AesCipher::ModeCfb, "cfb"},
    {AesCipher::ModeOfb, "ofb"},
};

void PrintTo(const ModeName& m, std::ostream* os) { *os << m.openSsl; }

const unsigned long kKeyLengths[] = {16, 24, 32};
const unsigned long kDataLengths[] = {16, 32, 48, 4096, 65536 + 16};

using ModeParam = std::tuple<ModeName, unsigned long, unsigned long>;

class AesModeTest : public ::testing::TestWithParam<ModeParam> {};

TEST_P(AesModeTest, MatchesLibcryptoBothWaysAndInPlace)
{
    const ModeName mode = std::get<0>(GetParam());
    const unsigned long keyLength = std::get<1>(GetParam());
    const unsigned long length = std::get<2>(GetParam());
    const uint32_t seed = static_cast<uint32_t>(mode.mode * 1000003u + keyLength * 1009u + length);
    const Bytes key = RandomBytes(keyLength, seed);
    const Bytes iv = RandomBytes(16, seed + 1);
    const Bytes plain = RandomBytes(length, seed + 2);
    const Bytes reference =
        OpenSslCrypt(mode.openSsl, true, key, mode.mode == AesCipher::ModeEcb ? Bytes() : iv, plain);
    ASSERT_EQ(plain.size(), reference.size());

    AesCipher cipher;
    ASSERT_EQ(0ul, cipher.makeRoundKey(key.data(), keyLength));
    cipher.setIV(iv.data());

    Bytes encrypted(length);
    ASSERT_EQ(0ul, cipher.encrypt(plain.data(), encrypted.data(), length, mode.mode));
    EXPECT_EQ(reference, encrypted);

    Bytes decrypted(length);
    ASSERT_EQ(0ul, cipher.decrypt(encrypted.data(), decrypted.data(), length, mode.mode));
    EXPECT_EQ(plain, decrypted);

    // The image writer and reader work in one buffer.
    Bytes buffer = plain;
    ASSERT_EQ(0ul, cipher.encrypt(buffer.data(), buffer.data(), length, mode.mode));
    EXPECT_EQ(reference, buffer);
    ASSERT_EQ(0ul, cipher.decrypt(buffer.data(), buffer.data(), length, mode.mode));
    EXPECT_EQ(plain, buffer);
}

INSTANTIATE_TEST_SUITE_P(Modes, AesModeTest,
                         ::testing::Combine(::testing::ValuesIn(kReferenceModes), ::testing::ValuesIn(kKeyLengths),
                                            ::testing::ValuesIn(kDataLengths)),
                         [](const ::testing::TestParamInfo<ModeParam>& info) {
                             return std::string(std::get<0>(info.param).openSsl) + "_key" +
                                    std::to_string(std::get<1>(info.param) * 8) + "_len" +
                                    std::to_string(std::get<2>(info.param));
                         });

// CTR reference: X(i) = P(i) ^ E(T(i)), T counted up as a 128-bit little-endian number
// by arithmetic here, not by the cipher's own incrCounter.
Bytes ReferenceCtr(const Bytes& key, const Bytes& counter, const Bytes& data)
{
    uint64_t low = 0;
    uint64_t high = 0;
    for (int i = 7; i >= 0; --i) {
        low = (low << 8) | counter[i];
        high = (high << 8) | counter[8 + i];
    }
    Bytes counterBlocks(data.size());
    for (size_t offset = 0; offset < data.size(); offset += 16) {
        for (int i = 0; i < 8; ++i) {
            counterBlocks[offset + i] = static_cast<unsigned char>(low >> (8 * i));
            counterBlocks[offset + 8 + i] = static_cast<unsigned char>(high >> (8 * i));
        }
        if (++low == 0)
            ++high;
    }
    const Bytes keystream = OpenSslCrypt("ecb", true, key, Bytes(), counterBlocks);
    Bytes out(data.size());
    for (size_t i = 0; i < data.size(); ++i)
        out[i] = static_cast<unsigned char>(data[i] ^ keystream[i]);
    return out;
}

struct CtrCase {
    const char* name;
    const char* counter;
    unsigned long keyLength;
    unsigned long length;
};

const CtrCase kCtrCases[] = {
    {"Random128", nullptr, 16, 4096},
    {"Random192", nullptr, 24, 48},
    {"Random256", nullptr, 32, 65536 + 16},
    {"CarryIntoHighHalf", "fdffffffffffffff0000000000000000", 16, 96},
    {"WrapsRoundToZero", "fdffffffffffffffffffffffffffffff", 32, 96},
};

void PrintTo(const CtrCase& c, std::ostream* os) { *os << c.name; }

class AesCtrTest : public ::testing::TestWithParam<CtrCase> {};

TEST_P(AesCtrTest, MatchesKeystreamOverLittleEndianCounter)
{
    const CtrCase& c = GetParam();
    const Bytes key = RandomBytes(c.keyLength, 41);
    const Bytes counter = c.counter ? FromHex(c.counter) : RandomBytes(16, 42);
    const Bytes plain = RandomBytes(c.length, 43);
    const Bytes reference = ReferenceCtr(key, counter, plain);

    AesCipher cipher;
    ASSERT_EQ(0ul, cipher.makeRoundKey(key.data(), c.keyLength));
    cipher.setCounter(counter.data());

    Bytes buffer = plain;
    ASSERT_EQ(0ul, cipher.encrypt(buffer.data(), buffer.data(), c.length, AesCipher::ModeCtr));
    EXPECT_EQ(reference, buffer);
    ASSERT_EQ(0ul, cipher.decrypt(buffer.data(), buffer.data(), c.length, AesCipher::ModeCtr));
    EXPECT_EQ(plain, buffer);
}

INSTANTIATE_TEST_SUITE_P(Cases, AesCtrTest, ::testing::ValuesIn(kCtrCases),
                         [](const ::testing::TestParamInfo<CtrCase>& info) { return info.param.name; });

// Every blob of an image set is encrypted on its own from the same IV and counter, so
// no chaining state may leak from one call into the next.
TEST(AesModeStateTest, EveryCallStartsFromTheStoredVectors)
{
    const Bytes key = RandomBytes(32, 51);
    const Bytes vector = RandomBytes(16, 52);
    const Bytes first = RandomBytes(64, 53);
    const Bytes second = RandomBytes(64, 54);
    for (unsigned long mode = AesCipher::ModeEcb; mode <= AesCipher::ModeCtr; ++mode) {
        AesCipher cipher;
        ASSERT_EQ(0ul, cipher.makeRoundKey(key.data(), 32));
        cipher.setIV(vector.data());
        cipher.setCounter(vector.data());

        Bytes alone(64);
        ASSERT_EQ(0ul, cipher.encrypt(second.data(), alone.data(), 64, mode));

        Bytes scratch(64);
        ASSERT_EQ(0ul, cipher.encrypt(first.data(), scratch.data(), 64, mode));
        Bytes afterOther(64);
        ASSERT_EQ(0ul, cipher.encrypt(second.data(), afterOther.data(), 64, mode));
        EXPECT_EQ(alone, afterOther) << "mode " << mode;

        // Decrypting the second blob after an unrelated decrypt gives it back.
        ASSERT_EQ(0ul, cipher.decrypt(scratch.data(), scratch.data(), 64, mode));
        Bytes back(64);
        ASSERT_EQ(0ul, cipher.decrypt(afterOther.data(), back.data(), 64, mode));
        EXPECT_EQ(second, back) << "mode " << mode;
    }
}

} // namespace
