#include "PasswordKey.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "AesCipher.h"
#include "CryptoTestSupport.h"
#include "KSResult.h"

namespace {

// The image container hands over a zeroed 272-byte buffer with the password's bytes.
Bytes PasswordBuffer(const std::string& password)
{
    Bytes buffer(272, 0);
    std::memcpy(buffer.data(), password.data(), password.size());
    return buffer;
}

std::string Text(const unsigned char* data, size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}

// 64 distinct printable characters, so that every byte position can be told apart.
const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

TEST(PasswordKeyTest, KeyLengthFollowsPasswordLength)
{
    const struct {
        unsigned long length;
        unsigned long keyLength;
    } kCases[] = {{0, 16}, {1, 16}, {16, 16}, {17, 24}, {24, 24}, {25, 32}, {32, 32}, {40, 32}, {64, 32}};
    for (const auto& c : kCases) {
        const Bytes buffer = PasswordBuffer(kAlphabet.substr(0, c.length));
        PasswordKey key;
        ASSERT_EQ(0ul, MakePasswordKey(buffer.data(), buffer.size(), c.length, &key));
        EXPECT_EQ(c.keyLength, key.keyLength) << "length " << c.length;
        // The key is the start of the password followed by zeros.
        const std::string expected = kAlphabet.substr(0, std::min(c.length, c.keyLength)) +
                                     std::string(c.keyLength - std::min(c.length, c.keyLength), '\0');
        EXPECT_EQ(expected, Text(key.key, key.keyLength)) << "length " << c.length;
    }
}

TEST(PasswordKeyTest, VectorBlockTakesTheBytesFrom32OnOverTheFirstOnes)
{
    const struct {
        unsigned long length;
        std::string vector;
    } kCases[] = {
        {6, std::string("ABCDEF") + std::string(10, '\0')},
        {16, kAlphabet.substr(0, 16)},
        {32, kAlphabet.substr(0, 16)},
        // 40 characters: bytes 32..39 first, then bytes 8..15 left from the first copy.
        {40, kAlphabet.substr(32, 8) + kAlphabet.substr(8, 8)},
        {48, kAlphabet.substr(32, 16)},
        {64, kAlphabet.substr(32, 16)},
    };
    for (const auto& c : kCases) {
        const Bytes buffer = PasswordBuffer(kAlphabet.substr(0, c.length));
        PasswordKey key;
        ASSERT_EQ(0ul, MakePasswordKey(buffer.data(), buffer.size(), c.length, &key));
        EXPECT_EQ(c.vector, Text(key.vector, 16)) << "length " << c.length;
    }
}

TEST(PasswordKeyTest, MultibytePasswordKeyReadsPastTheCharacterCount)
{
    // Three two-byte characters: L = 3 but six bytes. The vector and the digest take
    // L bytes; the key takes its 16 bytes from the buffer, so all six count.
    const std::string utf8 = "\xC3\xA9\xC3\xA9\xC3\xA9";
    const Bytes buffer = PasswordBuffer(utf8);
    PasswordKey key;
    ASSERT_EQ(0ul, MakePasswordKey(buffer.data(), buffer.size(), 3, &key));
    EXPECT_EQ(16ul, key.keyLength);
    EXPECT_EQ(utf8 + std::string(10, '\0'), Text(key.key, 16));
    EXPECT_EQ(utf8.substr(0, 3) + std::string(13, '\0'), Text(key.vector, 16));

    unsigned char digest[16];
    ASSERT_EQ(0ul, MakePasswordDigest(buffer.data(), buffer.size(), 3, digest));
    EXPECT_EQ(ToHex(OpenSslMd5(Bytes(utf8.begin(), utf8.begin() + 3))), ToHex(digest, 16));
}

TEST(PasswordKeyTest, BytesPastTheGivenCountAreNeverRead)
{
    // An exactly sized heap buffer: the sanitizer catches any read beyond it, and the
    // key must come out padded with zeros.
    const std::string password = "secret";
    Bytes exact(password.begin(), password.end());
    exact.shrink_to_fit();
    PasswordKey key;
    ASSERT_EQ(0ul, MakePasswordKey(exact.data(), exact.size(), 6, &key));
    EXPECT_EQ(password + std::string(10, '\0'), Text(key.key, 16));
    EXPECT_EQ(password + std::string(10, '\0'), Text(key.vector, 16));

    PasswordKey fromBuffer;
    const Bytes buffer = PasswordBuffer(password);
    ASSERT_EQ(0ul, MakePasswordKey(buffer.data(), buffer.size(), 6, &fromBuffer));
    EXPECT_EQ(0, std::memcmp(&key.key, &fromBuffer.key, sizeof key.key));
}

TEST(PasswordKeyTest, RefusesMissingOrInconsistentArguments)
{
    const Bytes buffer = PasswordBuffer("abc");
    PasswordKey key;
    AesCipher cipher;
    unsigned char digest[16];
    const unsigned long results[] = {
        MakePasswordKey(buffer.data(), buffer.size(), 3, nullptr),
        MakePasswordKey(nullptr, 272, 3, &key),
        MakePasswordKey(buffer.data(), 2, 3, &key), // more characters than bytes
        SetPasswordKey(nullptr, buffer.data(), buffer.size(), 3),
        SetPasswordKey(&cipher, nullptr, 272, 3),
        MakePasswordDigest(buffer.data(), buffer.size(), 3, nullptr),
        MakePasswordDigest(nullptr, 272, 3, digest),
        MakePasswordDigest(buffer.data(), 2, 3, digest),
    };
    for (unsigned long result : results) {
        EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(result));
        EXPECT_EQ(static_cast<unsigned long>(KS_MODULE_HELPERS), KSResultModule(result));
    }
    // A refused set-up leaves the cipher without a key.
    unsigned char block[16] = {};
    EXPECT_EQ(0x005ul, KSResultKind(cipher.encrypt(block, block, 16, AesCipher::ModeEcb)));
}

TEST(PasswordKeyTest, SetPasswordKeyKeysTheCipherWithIVAndCounter)
{
    for (unsigned long length : {5ul, 20ul, 40ul}) {
        const std::string password = kAlphabet.substr(0, length);
        const Bytes buffer = PasswordBuffer(password);
        PasswordKey derived;
        ASSERT_EQ(0ul, MakePasswordKey(buffer.data(), buffer.size(), length, &derived));
        const Bytes key(derived.key, derived.key + derived.keyLength);
        const Bytes vector(derived.vector, derived.vector + 16);

        AesCipher cipher;
        ASSERT_EQ(0ul, SetPasswordKey(&cipher, buffer.data(), buffer.size(), length));
        EXPECT_EQ(derived.keyLength, cipher.keyLength());

        const Bytes plain = RandomBytes(64, static_cast<uint32_t>(length));
        Bytes encrypted(64);
        ASSERT_EQ(0ul, cipher.encrypt(plain.data(), encrypted.data(), 64, AesCipher::ModeCbc));
        EXPECT_EQ(OpenSslCrypt("cbc", true, key, vector, plain), encrypted) << "length " << length;

        // The counter block is the same vector: the first CTR block is E(vector).
        ASSERT_EQ(0ul, cipher.encrypt(plain.data(), encrypted.data(), 16, AesCipher::ModeCtr));
        const Bytes keystream = OpenSslCrypt("ecb", true, key, Bytes(), vector);
        for (size_t i = 0; i < 16; ++i)
            EXPECT_EQ(plain[i] ^ keystream[i], encrypted[i]) << "length " << length << " byte " << i;
    }
}

TEST(PasswordKeyTest, DigestIsMd5OfTheCharacterCountOfBytes)
{
    const Bytes buffer = PasswordBuffer("abc");
    unsigned char digest[16];
    ASSERT_EQ(0ul, MakePasswordDigest(buffer.data(), buffer.size(), 3, digest));
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", ToHex(digest, 16));
    ASSERT_EQ(0ul, MakePasswordDigest(buffer.data(), buffer.size(), 0, digest));
    EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", ToHex(digest, 16));
}

} // namespace
