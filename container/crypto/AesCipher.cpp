#include "AesCipher.h"

#include <cstring>

#include "AesTables.h"
#include "KSResult.h"

namespace {

// Kind for a call made before the key, IV or counter it needs was set.
constexpr unsigned long kKindNotReady = 0x005;

inline uint32_t LoadBE32(const unsigned char* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

inline void StoreBE32(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

inline uint32_t SubWord(uint32_t w)
{
    const uint8_t* s = kAesTables.sbox;
    return (static_cast<uint32_t>(s[w >> 24]) << 24) | (static_cast<uint32_t>(s[(w >> 16) & 0xFF]) << 16) |
           (static_cast<uint32_t>(s[(w >> 8) & 0xFF]) << 8) | static_cast<uint32_t>(s[w & 0xFF]);
}

// InvMixColumns of one round-key word, through the decryption tables: they hold
// InvMixColumns of InvSubBytes, so the S-box is applied first to cancel the latter.
inline uint32_t InverseMixColumn(uint32_t w)
{
    const uint8_t* s = kAesTables.sbox;
    return kAesTables.decrypt[0][s[w >> 24]] ^ kAesTables.decrypt[1][s[(w >> 16) & 0xFF]] ^
           kAesTables.decrypt[2][s[(w >> 8) & 0xFF]] ^ kAesTables.decrypt[3][s[w & 0xFF]];
}

} // namespace

AesCipher::AesCipher()
    : keySet_(0), encryptKeys_{}, decryptKeys_{}, keyLength_(0), rounds_(0), ivSet_(0), iv_{},
      counterSet_(0), counter_{}
{
}

unsigned long AesCipher::makeRoundKey(const unsigned char* key, unsigned long keyLength)
{
    if (key == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, KS_KIND_BAD_ARGUMENT);
    if (keyLength != 16 && keyLength != 24 && keyLength != 32)
        return KS_RESULT(KS_MODULE_HELPERS, KS_KIND_BAD_ARGUMENT);

    const unsigned long keyWords = keyLength / 4;
    const unsigned long rounds = keyWords + 6;
    const unsigned long totalWords = 4 * (rounds + 1);

    // Key expansion (FIPS-197 section 5.2).
    uint32_t* w = encryptKeys_;
    for (unsigned long i = 0; i < keyWords; ++i)
        w[i] = LoadBE32(key + 4 * i);
    for (unsigned long i = keyWords; i < totalWords; ++i) {
        uint32_t temp = w[i - 1];
        if (i % keyWords == 0)
            temp = SubWord((temp << 8) | (temp >> 24)) ^ kAesTables.roundConstants[i / keyWords - 1];
        else if (keyWords > 6 && i % keyWords == 4)
            temp = SubWord(temp);
        w[i] = w[i - keyWords] ^ temp;
    }

    // Equivalent inverse cipher (FIPS-197 section 5.3.5): round keys in reverse order,
    // InvMixColumns applied to all but the first and the last.
    for (unsigned long round = 0; round <= rounds; ++round) {
        for (unsigned long c = 0; c < 4; ++c) {
            const uint32_t word = w[4 * (rounds - round) + c];
            decryptKeys_[4 * round + c] = (round == 0 || round == rounds) ? word : InverseMixColumn(word);
        }
    }

    keyLength_ = keyLength;
    rounds_ = rounds;
    keySet_ = 1;
    return 0;
}

void AesCipher::setIV(const unsigned char* iv)
{
    if (iv == nullptr) {
        ivSet_ = 0;
        return;
    }
    std::memcpy(iv_, iv, BlockSize);
    ivSet_ = 1;
}

void AesCipher::setCounter(const unsigned char* counter)
{
    if (counter == nullptr) {
        counterSet_ = 0;
        return;
    }
    std::memcpy(counter_, counter, BlockSize);
    counterSet_ = 1;
}

unsigned long AesCipher::checkCall(const unsigned char* input, const unsigned char* output,
                                   unsigned long length, unsigned long mode) const
{
    if (input == nullptr || output == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, KS_KIND_BAD_ARGUMENT);
    if (!keySet_)
        return KS_RESULT(KS_MODULE_HELPERS, kKindNotReady);
    if (length == 0 || length % BlockSize != 0)
        return KS_RESULT(KS_MODULE_HELPERS, KS_KIND_BAD_ARGUMENT);
    if (mode > ModeCtr)
        return KS_RESULT(KS_MODULE_HELPERS, KS_KIND_BAD_ARGUMENT);
    if ((mode == ModeCbc || mode == ModeCfb || mode == ModeOfb) && !ivSet_)
        return KS_RESULT(KS_MODULE_HELPERS, kKindNotReady);
    if (mode == ModeCtr && !counterSet_)
        return KS_RESULT(KS_MODULE_HELPERS, kKindNotReady);
    return 0;
}

unsigned long AesCipher::encrypt(const unsigned char* input, unsigned char* output, unsigned long length,
                                 unsigned long mode)
{
    const unsigned long check = checkCall(input, output, length, mode);
    if (KSFailed(check))
        return check;

    unsigned char chain[BlockSize];
    unsigned char work[BlockSize];
    if (mode == ModeCtr)
        std::memcpy(chain, counter_, BlockSize);
    else
        std::memcpy(chain, iv_, BlockSize);

    // Each step reads its input block completely before it writes the output block,
    // which is what makes input == output safe.
    for (unsigned long offset = 0; offset < length; offset += BlockSize) {
        const unsigned char* in = input + offset;
        unsigned char* out = output + offset;
        switch (mode) {
        case ModeEcb:
            encryptBlock(in, out);
            break;
        case ModeCbc:
            std::memcpy(work, in, BlockSize);
            xorBlock(work, chain);
            encryptBlock(work, out);
            std::memcpy(chain, out, BlockSize);
            break;
        case ModeCfb:
            encryptBlock(chain, work);
            std::memcpy(chain, in, BlockSize);
            xorBlock(chain, work); // chain = X(i), the next feedback
            std::memcpy(out, chain, BlockSize);
            break;
        case ModeOfb:
            encryptBlock(chain, chain);
            std::memcpy(work, in, BlockSize);
            xorBlock(work, chain);
            std::memcpy(out, work, BlockSize);
            break;
        case ModeCtr:
            encryptBlock(chain, work);
            xorBlock(work, in);
            std::memcpy(out, work, BlockSize);
            incrCounter(chain);
            break;
        }
    }
    return 0;
}

unsigned long AesCipher::decrypt(const unsigned char* input, unsigned char* output, unsigned long length,
                                 unsigned long mode)
{
    const unsigned long check = checkCall(input, output, length, mode);
    if (KSFailed(check))
        return check;
    // OFB and CTR are their own inverse.
    if (mode == ModeOfb || mode == ModeCtr)
        return encrypt(input, output, length, mode);

    unsigned char chain[BlockSize];
    unsigned char cipherText[BlockSize];
    unsigned char work[BlockSize];
    std::memcpy(chain, iv_, BlockSize);

    for (unsigned long offset = 0; offset < length; offset += BlockSize) {
        const unsigned char* in = input + offset;
        unsigned char* out = output + offset;
        switch (mode) {
        case ModeEcb:
            decryptBlock(in, out);
            break;
        case ModeCbc:
            std::memcpy(cipherText, in, BlockSize);
            decryptBlock(cipherText, work);
            xorBlock(work, chain);
            std::memcpy(out, work, BlockSize);
            std::memcpy(chain, cipherText, BlockSize);
            break;
        case ModeCfb:
            std::memcpy(cipherText, in, BlockSize);
            encryptBlock(chain, work);
            xorBlock(work, cipherText);
            std::memcpy(out, work, BlockSize);
            std::memcpy(chain, cipherText, BlockSize);
            break;
        }
    }
    return 0;
}

void AesCipher::encryptBlock(const unsigned char* input, unsigned char* output) const
{
    const uint32_t(&te)[4][256] = kAesTables.encrypt;
    const uint32_t* rk = encryptKeys_;

    uint32_t s0 = LoadBE32(input) ^ rk[0];
    uint32_t s1 = LoadBE32(input + 4) ^ rk[1];
    uint32_t s2 = LoadBE32(input + 8) ^ rk[2];
    uint32_t s3 = LoadBE32(input + 12) ^ rk[3];

    // SubBytes, ShiftRows and MixColumns of a full round in one look-up per byte.
    for (unsigned long round = 1; round < rounds_; ++round) {
        rk += 4;
        const uint32_t t0 = te[0][s0 >> 24] ^ te[1][(s1 >> 16) & 0xFF] ^ te[2][(s2 >> 8) & 0xFF] ^ te[3][s3 & 0xFF] ^ rk[0];
        const uint32_t t1 = te[0][s1 >> 24] ^ te[1][(s2 >> 16) & 0xFF] ^ te[2][(s3 >> 8) & 0xFF] ^ te[3][s0 & 0xFF] ^ rk[1];
        const uint32_t t2 = te[0][s2 >> 24] ^ te[1][(s3 >> 16) & 0xFF] ^ te[2][(s0 >> 8) & 0xFF] ^ te[3][s1 & 0xFF] ^ rk[2];
        const uint32_t t3 = te[0][s3 >> 24] ^ te[1][(s0 >> 16) & 0xFF] ^ te[2][(s1 >> 8) & 0xFF] ^ te[3][s2 & 0xFF] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }

    // The last round has no MixColumns.
    rk += 4;
    const uint8_t* s = kAesTables.sbox;
    auto lastRound = [s](uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t key) {
        return ((static_cast<uint32_t>(s[a >> 24]) << 24) | (static_cast<uint32_t>(s[(b >> 16) & 0xFF]) << 16) |
                (static_cast<uint32_t>(s[(c >> 8) & 0xFF]) << 8) | static_cast<uint32_t>(s[d & 0xFF])) ^
               key;
    };
    const uint32_t o0 = lastRound(s0, s1, s2, s3, rk[0]);
    const uint32_t o1 = lastRound(s1, s2, s3, s0, rk[1]);
    const uint32_t o2 = lastRound(s2, s3, s0, s1, rk[2]);
    const uint32_t o3 = lastRound(s3, s0, s1, s2, rk[3]);
    StoreBE32(output, o0);
    StoreBE32(output + 4, o1);
    StoreBE32(output + 8, o2);
    StoreBE32(output + 12, o3);
}

void AesCipher::decryptBlock(const unsigned char* input, unsigned char* output) const
{
    const uint32_t(&td)[4][256] = kAesTables.decrypt;
    const uint32_t* rk = decryptKeys_;

    uint32_t s0 = LoadBE32(input) ^ rk[0];
    uint32_t s1 = LoadBE32(input + 4) ^ rk[1];
    uint32_t s2 = LoadBE32(input + 8) ^ rk[2];
    uint32_t s3 = LoadBE32(input + 12) ^ rk[3];

    // InvShiftRows takes the bytes from the columns to the left.
    for (unsigned long round = 1; round < rounds_; ++round) {
        rk += 4;
        const uint32_t t0 = td[0][s0 >> 24] ^ td[1][(s3 >> 16) & 0xFF] ^ td[2][(s2 >> 8) & 0xFF] ^ td[3][s1 & 0xFF] ^ rk[0];
        const uint32_t t1 = td[0][s1 >> 24] ^ td[1][(s0 >> 16) & 0xFF] ^ td[2][(s3 >> 8) & 0xFF] ^ td[3][s2 & 0xFF] ^ rk[1];
        const uint32_t t2 = td[0][s2 >> 24] ^ td[1][(s1 >> 16) & 0xFF] ^ td[2][(s0 >> 8) & 0xFF] ^ td[3][s3 & 0xFF] ^ rk[2];
        const uint32_t t3 = td[0][s3 >> 24] ^ td[1][(s2 >> 16) & 0xFF] ^ td[2][(s1 >> 8) & 0xFF] ^ td[3][s0 & 0xFF] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }

    rk += 4;
    const uint8_t* si = kAesTables.inverseSbox;
    auto lastRound = [si](uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t key) {
        return ((static_cast<uint32_t>(si[a >> 24]) << 24) | (static_cast<uint32_t>(si[(b >> 16) & 0xFF]) << 16) |
                (static_cast<uint32_t>(si[(c >> 8) & 0xFF]) << 8) | static_cast<uint32_t>(si[d & 0xFF])) ^
               key;
    };
    const uint32_t o0 = lastRound(s0, s3, s2, s1, rk[0]);
    const uint32_t o1 = lastRound(s1, s0, s3, s2, rk[1]);
    const uint32_t o2 = lastRound(s2, s1, s0, s3, rk[2]);
    const uint32_t o3 = lastRound(s3, s2, s1, s0, rk[3]);
    StoreBE32(output, o0);
    StoreBE32(output + 4, o1);
    StoreBE32(output + 8, o2);
    StoreBE32(output + 12, o3);
}

void AesCipher::xorBlock(unsigned char* block, const unsigned char* other)
{
    for (unsigned long i = 0; i < BlockSize; ++i)
        block[i] = static_cast<unsigned char>(block[i] ^ other[i]);
}

int AesCipher::incrCounter(unsigned char* block)
{
    for (unsigned long i = 0; i < BlockSize; ++i) {
        if (block[i] != 0xFF) {
            ++block[i];
            return 1;
        }
        block[i] = 0;
    }
    return 0;
}
