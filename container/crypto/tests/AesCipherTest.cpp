// The block cipher itself: published vectors, key handling, argument checks and the
// little-endian counter.
#include "AesCipher.h"

#include <gtest/gtest.h>

#include "CryptoTestSupport.h"
#include "KSResult.h"

namespace {

struct BlockVector {
    const char* name;
    const char* key;
    const char* plain;
    const char* cipher;
    unsigned long rounds;
};

// FIPS-197 appendix C (and the worked example of appendix B).
const BlockVector kFips197[] = {
    {"C1_AES128", "000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
     "69c4e0d86a7b0430d8cdb78070b4c55a", 10},
    {"C2_AES192", "000102030405060708090a0b0c0d0e0f1011121314151617", "00112233445566778899aabbccddeeff",
     "dda97ca4864cdfe06eaf70a0ec0d7191", 12},
    {"C3_AES256", "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
     "00112233445566778899aabbccddeeff", "8ea2b7ca516745bfeafc49904b496089", 14},
    {"B_AES128", "2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734",
     "3925841d02dc09fbdc118597196a0b32", 10},
};

void PrintTo(const BlockVector& v, std::ostream* os) { *os << v.name; }

class Fips197Test : public ::testing::TestWithParam<BlockVector> {};

TEST_P(Fips197Test, BlockFunctionsAndEcbMatchTheVector)
{
    const BlockVector& v = GetParam();
    const Bytes key = FromHex(v.key);
    const Bytes plain = FromHex(v.plain);
    AesCipher cipher;
    ASSERT_EQ(0ul, cipher.makeRoundKey(key.data(), key.size()));
    EXPECT_EQ(key.size(), cipher.keyLength());
    EXPECT_EQ(v.rounds, cipher.rounds());

    unsigned char block[16];
    cipher.encryptBlock(plain.data(), block);
    EXPECT_EQ(v.cipher, ToHex(block, 16));
    cipher.decryptBlock(block, block); // in place
    EXPECT_EQ(v.plain, ToHex(block, 16));

    // ECB over the same block through the mode interface.
    Bytes buffer = plain;
    ASSERT_EQ(0ul, cipher.encrypt(buffer.data(), buffer.data(), 16, AesCipher::ModeEcb));
    EXPECT_EQ(v.cipher, ToHex(buffer));
    ASSERT_EQ(0ul, cipher.decrypt(buffer.data(), buffer.data(), 16, AesCipher::ModeEcb));
    EXPECT_EQ(v.plain, ToHex(buffer));
}

INSTANTIATE_TEST_SUITE_P(Vectors, Fips197Test, ::testing::ValuesIn(kFips197),
                         [](const ::testing::TestParamInfo<BlockVector>& info) { return info.param.name; });

TEST(AesCipherKeyTest, RefusesMissingKeyAndBadLengthsAndKeepsThePreviousKey)
{
    const Bytes key = FromHex("000102030405060708090a0b0c0d0e0f");
    const Bytes plain = FromHex("00112233445566778899aabbccddeeff");
    AesCipher cipher;
    ASSERT_EQ(0ul, cipher.makeRoundKey(key.data(), 16));

    const Bytes other(40, 0x5A);
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(cipher.makeRoundKey(nullptr, 16)));
    for (unsigned long length : {0ul, 8ul, 15ul, 17ul, 20ul, 31ul, 33ul, 40ul}) {
        const unsigned long result = cipher.makeRoundKey(other.data(), length);
        EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(result)) << "length " << length;
        EXPECT_EQ(static_cast<unsigned long>(KS_MODULE_HELPERS), KSResultModule(result));
    }

    unsigned char block[16];
    cipher.encryptBlock(plain.data(), block);
    EXPECT_EQ("69c4e0d86a7b0430d8cdb78070b4c55a", ToHex(block, 16));
    EXPECT_EQ(16ul, cipher.keyLength());
}

TEST(AesCipherKeyTest, ANewKeyReplacesTheOldOneCompletely)
{
    // A 256-bit key followed by a 128-bit one: no round of the longer schedule may
    // survive into the shorter.
    const Bytes key256 = FromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    const Bytes key128 = FromHex("000102030405060708090a0b0c0d0e0f");
    const Bytes plain = FromHex("00112233445566778899aabbccddeeff");
    AesCipher cipher;
    ASSERT_EQ(0ul, cipher.makeRoundKey(key256.data(), 32));
    ASSERT_EQ(0ul, cipher.makeRoundKey(key128.data(), 16));
    Bytes buffer = plain;
    ASSERT_EQ(0ul, cipher.encrypt(buffer.data(), buffer.data(), 16, AesCipher::ModeEcb));
    EXPECT_EQ("69c4e0d86a7b0430d8cdb78070b4c55a", ToHex(buffer));
    ASSERT_EQ(0ul, cipher.decrypt(buffer.data(), buffer.data(), 16, AesCipher::ModeEcb));
    EXPECT_EQ(ToHex(plain), ToHex(buffer));
}

struct CallCase {
    const char* name;
    bool setKey;
    bool setIV;
    bool setCounter;
    bool nullInput;
    bool nullOutput;
    unsigned long length;
    unsigned long mode;
    unsigned long kind;
};

const CallCase kCallCases[] = {
    {"NullInput", true, true, true, true, false, 32, AesCipher::ModeCbc, KS_KIND_BAD_ARGUMENT},
    {"NullOutput", true, true, true, false, true, 32, AesCipher::ModeCbc, KS_KIND_BAD_ARGUMENT},
    {"NullInputWithoutKey", false, false, false, true, false, 32, AesCipher::ModeEcb, KS_KIND_BAD_ARGUMENT},
    {"NoKey", false, true, true, false, false, 32, AesCipher::ModeEcb, 0x005},
    {"LengthZero", true, true, true, false, false, 0, AesCipher::ModeEcb, KS_KIND_BAD_ARGUMENT},
    {"Length20", true, true, true, false, false, 20, AesCipher::ModeCbc, KS_KIND_BAD_ARGUMENT},
    {"Length15", true, true, true, false, false, 15, AesCipher::ModeEcb, KS_KIND_BAD_ARGUMENT},
    {"UnknownMode", true, true, true, false, false, 32, 5, KS_KIND_BAD_ARGUMENT},
    {"CbcWithoutIV", true, false, true, false, false, 32, AesCipher::ModeCbc, 0x005},
    {"CfbWithoutIV", true, false, true, false, false, 32, AesCipher::ModeCfb, 0x005},
    {"OfbWithoutIV", true, false, true, false, false, 32, AesCipher::ModeOfb, 0x005},
    {"CtrWithoutCounter", true, true, false, false, false, 32, AesCipher::ModeCtr, 0x005},
    {"EcbNeedsNoVector", true, false, false, false, false, 32, AesCipher::ModeEcb, 0},
    {"CtrNeedsNoIV", true, false, true, false, false, 32, AesCipher::ModeCtr, 0},
    {"CbcNeedsNoCounter", true, true, false, false, false, 32, AesCipher::ModeCbc, 0},
};

void PrintTo(const CallCase& c, std::ostream* os) { *os << c.name; }

class AesCallTest : public ::testing::TestWithParam<CallCase> {};

TEST_P(AesCallTest, EncryptAndDecryptCheckTheirArgumentsAndTouchNothingOnFailure)
{
    const CallCase& c = GetParam();
    const Bytes key(16, 0x11);
    const Bytes vector(16, 0x22);
    const Bytes input = RandomBytes(32, 7);

    for (bool encrypting : {true, false}) {
        AesCipher cipher;
        if (c.setKey) {
            ASSERT_EQ(0ul, cipher.makeRoundKey(key.data(), 16));
        }
        if (c.setIV)
            cipher.setIV(vector.data());
        if (c.setCounter)
            cipher.setCounter(vector.data());

        Bytes output(32, 0xEE);
        const unsigned char* in = c.nullInput ? nullptr : input.data();
        unsigned char* out = c.nullOutput ? nullptr : output.data();
        const unsigned long result =
            encrypting ? cipher.encrypt(in, out, c.length, c.mode) : cipher.decrypt(in, out, c.length, c.mode);
        EXPECT_EQ(c.kind, KSResultKind(result)) << (encrypting ? "encrypt" : "decrypt");
        if (c.kind != 0) {
            EXPECT_EQ(static_cast<unsigned long>(KS_MODULE_HELPERS), KSResultModule(result));
            EXPECT_EQ(Bytes(32, 0xEE), output) << "a refused call wrote its output";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AesCallTest, ::testing::ValuesIn(kCallCases),
                         [](const ::testing::TestParamInfo<CallCase>& info) { return info.param.name; });

TEST(AesCipherVectorTest, ClearingTheIVOrCounterMakesTheModeRefuseAgain)
{
    const Bytes key(16, 0x11);
    const Bytes vector(16, 0x22);
    Bytes data(16, 0x33);
    AesCipher cipher;
    ASSERT_EQ(0ul, cipher.makeRoundKey(key.data(), 16));
    cipher.setIV(vector.data());
    cipher.setCounter(vector.data());
    ASSERT_EQ(0ul, cipher.encrypt(data.data(), data.data(), 16, AesCipher::ModeCbc));
    ASSERT_EQ(0ul, cipher.encrypt(data.data(), data.data(), 16, AesCipher::ModeCtr));
    cipher.setIV(nullptr);
    cipher.setCounter(nullptr);
    EXPECT_EQ(0x005ul, KSResultKind(cipher.encrypt(data.data(), data.data(), 16, AesCipher::ModeCbc)));
    EXPECT_EQ(0x005ul, KSResultKind(cipher.encrypt(data.data(), data.data(), 16, AesCipher::ModeCtr)));
}

TEST(AesCipherVectorTest, SetIVCopiesTheVector)
{
    const Bytes key(16, 0x11);
    Bytes vector(16, 0x22);
    const Bytes plain(32, 0x33);
    AesCipher cipher;
    ASSERT_EQ(0ul, cipher.makeRoundKey(key.data(), 16));
    cipher.setIV(vector.data());
    Bytes first(32);
    ASSERT_EQ(0ul, cipher.encrypt(plain.data(), first.data(), 32, AesCipher::ModeCbc));
    vector.assign(16, 0x99); // the caller's buffer changes; the cipher's copy must not
    Bytes second(32);
    ASSERT_EQ(0ul, cipher.encrypt(plain.data(), second.data(), 32, AesCipher::ModeCbc));
    EXPECT_EQ(first, second);
}

struct CounterCase {
    const char* before;
    const char* after;
    int result;
};

const CounterCase kCounterCases[] = {
    {"00000000000000000000000000000000", "01000000000000000000000000000000", 1},
    {"fe000000000000000000000000000000", "ff000000000000000000000000000000", 1},
    {"ffff0000000000000000000000000000", "00000100000000000000000000000000", 1},
    {"ffffffffffffffff0000000000000000", "00000000000000000100000000000000", 1},
    {"ffffffffffffffffffffffffffffff7f", "00000000000000000000000000000080", 1},
    {"ffffffffffffffffffffffffffffffff", "00000000000000000000000000000000", 0},
};

TEST(AesCipherCounterTest, IncrementsLittleEndianWithCarry)
{
    for (const CounterCase& c : kCounterCases) {
        Bytes block = FromHex(c.before);
        EXPECT_EQ(c.result, AesCipher::incrCounter(block.data())) << c.before;
        EXPECT_EQ(c.after, ToHex(block)) << c.before;
    }
}

TEST(AesCipherCounterTest, XorBlockXorsSixteenBytesOnly)
{
    Bytes block = FromHex("00ff00ff00ff00ff00ff00ff00ff00ff" "abab");
    const Bytes other = FromHex("0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f");
    AesCipher::xorBlock(block.data(), other.data());
    EXPECT_EQ("0ff00ff00ff00ff00ff00ff00ff00ff0abab", ToHex(block));
}

} // namespace
