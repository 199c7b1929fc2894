// The blob storage rule on its own: when compression and padding are taken, and
// how damaged stored bytes are refused.
#include <gtest/gtest.h>

#include <cstring>

#include "AesCipher.h"
#include "BlobCodec.h"
#include "PasswordKey.h"
#include "TestSet.h"

namespace {

struct Coded {
    std::vector<unsigned char> stored;
    unsigned long rc;
};

Coded Encode(BlobCodec& codec, const BlobCodec::Settings& s, KSBlobGroup g, const std::vector<unsigned char>& raw)
{
    const unsigned char* out = nullptr;
    uint32_t size = 0;
    Coded c;
    c.rc = codec.Encode(s, g, raw.data(), static_cast<uint32_t>(raw.size()), &out, &size);
    if (c.rc == 0)
        c.stored.assign(out, out + size);
    return c;
}

TEST(BlobCodec, StoredSizeFollowsTheRule)
{
    AesCipher cipher;
    const unsigned char password[272] = "pw";
    ASSERT_EQ(0u, SetPasswordKey(&cipher, password, sizeof password, 2));
    const std::vector<unsigned char> pattern = PatternBytes(10000, 1), random = RandomBytes(1000, 2),
                                     small = RandomBytes(5, 3);
    struct Case {
        const char* what;
        uint32_t flags;
        const std::vector<unsigned char>* raw;
        bool shrinks;      // stored below raw
        uint32_t exactSize; // 0: not checked
    } cases[] = {
        {"plain", 0x00, &pattern, false, 10000},
        {"compressed", 0x01, &pattern, true, 0},
        {"incompressible stays raw", 0x01, &random, false, 1000},
        {"encrypted only: padded", 0x10, &random, false, 1008},
        {"encrypted, 5 bytes padded to 16", 0x10, &small, false, 16},
        {"compressed and encrypted", 0x11, &pattern, true, 0},
        {"incompressible and encrypted: raw padded", 0x11, &random, false, 1008},
        {"other group's bits do not apply", 0xEE, &pattern, false, 10000},
    };
    for (const Case& k : cases) {
        BlobCodec codec;
        BlobCodec::Settings s;
        s.flags = k.flags;
        s.level = 6;
        s.cipherMode = AesCipher::ModeCbc;
        s.cipher = &cipher;
        Coded c = Encode(codec, s, KS_GROUP_DATA, *k.raw);
        ASSERT_EQ(0u, c.rc) << k.what;
        if (k.exactSize) {
            EXPECT_EQ(k.exactSize, c.stored.size()) << k.what;
        }
        EXPECT_EQ(k.shrinks, c.stored.size() < k.raw->size()) << k.what;
        if (k.flags & 0x10) {
            EXPECT_EQ(0u, c.stored.size() % 16) << k.what;
        }
        std::vector<unsigned char> back(k.raw->size());
        ASSERT_EQ(0u, codec.Decode(s, KS_GROUP_DATA, c.stored.data(), static_cast<uint32_t>(c.stored.size()),
                                   back.data(), static_cast<uint32_t>(back.size())))
            << k.what;
        EXPECT_EQ(*k.raw, back) << k.what;
    }
}

TEST(BlobCodec, DamagedStoredBytesAreRefused)
{
    BlobCodec codec;
    BlobCodec::Settings s;
    s.flags = 0x01;
    s.level = 6;
    const std::vector<unsigned char> raw = PatternBytes(10000, 4);
    Coded c = Encode(codec, s, KS_GROUP_DATA, raw);
    ASSERT_EQ(0u, c.rc);
    std::vector<unsigned char> out(raw.size());

    std::vector<unsigned char> bad = c.stored;
    bad[bad.size() / 2] ^= 0xFF;
    EXPECT_EQ(0x064u, Kind(codec.Decode(s, KS_GROUP_DATA, bad.data(), (uint32_t)bad.size(), out.data(), 10000)));
    bad = c.stored;
    EXPECT_EQ(0x00Eu, Kind(codec.Decode(s, KS_GROUP_DATA, bad.data(), (uint32_t)bad.size(), out.data(), 5000)))
        << "the output filled before the stream ended";
    bad = c.stored;
    bad.resize(bad.size() - 4);
    EXPECT_NE(0u, Kind(codec.Decode(s, KS_GROUP_DATA, bad.data(), (uint32_t)bad.size(), out.data(), 10000)));

    BlobCodec::Settings plain;
    std::vector<unsigned char> stored(100, 1);
    EXPECT_EQ(0x009u, Kind(codec.Decode(plain, KS_GROUP_DATA, stored.data(), 100, out.data(), 99)))
        << "without either bit the sizes must agree";
    BlobCodec::Settings enc;
    enc.flags = 0x10;
    EXPECT_EQ(0x005u, Kind(codec.Decode(enc, KS_GROUP_DATA, stored.data(), 96, out.data(), 96))) << "no key";
}

// One codec keeps its zlib streams from blob to blob: every blob it stores is the
// one a new stream makes, whatever came before it (an incompressible blob that
// stopped the stream midway, another level), and it reads every blob back, also
// after a damaged one.
TEST(BlobCodec, KeptStreamsStoreAndReadWhatNewStreamsDo)
{
    std::vector<std::vector<unsigned char>> blobs;
    for (uint32_t i = 0; i < 12; ++i) {
        std::vector<unsigned char> b = (i % 3 == 1) ? RandomBytes(4096 * (i + 1), i) : PatternBytes(4096 * (i + 1), i);
        if (i % 4 == 3) // half binary pattern, half random: compresses part way
            for (size_t k = b.size() / 2; k < b.size(); ++k)
                b[k] = static_cast<unsigned char>(RandomBytes(1, static_cast<uint32_t>(k))[0]);
        blobs.push_back(std::move(b));
    }
    BlobCodec kept, reader;
    for (uint8_t level : {1, 6, 9, 6}) {
        BlobCodec::Settings s;
        s.flags = 0x01;
        s.level = level;
        for (size_t i = 0; i < blobs.size(); ++i) {
            const std::vector<unsigned char>& raw = blobs[i];
            BlobCodec fresh;
            const Coded mine = Encode(kept, s, KS_GROUP_DATA, raw), expected = Encode(fresh, s, KS_GROUP_DATA, raw);
            ASSERT_EQ(0u, mine.rc);
            EXPECT_EQ(expected.stored, mine.stored) << "level " << int(level) << ", blob " << i;

            std::vector<unsigned char> stored = mine.stored, out(raw.size());
            if (stored.size() < raw.size() && i % 2 == 0) {
                std::vector<unsigned char> bad = stored;
                bad[bad.size() / 2] ^= 0xFF;
                reader.Decode(s, KS_GROUP_DATA, bad.data(), static_cast<uint32_t>(bad.size()), out.data(),
                              static_cast<uint32_t>(raw.size()));
            }
            ASSERT_EQ(0u, reader.Decode(s, KS_GROUP_DATA, stored.data(), static_cast<uint32_t>(stored.size()),
                                        out.data(), static_cast<uint32_t>(raw.size())));
            EXPECT_EQ(raw, out) << "level " << int(level) << ", blob " << i;
        }
    }
}

} // namespace
