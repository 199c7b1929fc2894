#include "md5.h"

#include <cstring>

#include "KSResult.h"
#include "LittleEndian.h"

namespace {

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// Per-step shift amounts, four per round.
constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

// T[i] = floor(2^32 * abs(sin(i + 1))), RFC 1321 section 3.4.
constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

} // namespace

md5::md5() : state_{}, bitCount_(0), buffer_{}, digest_{}
{
    Init();
}

void md5::Init()
{
    state_[0] = 0x67452301;
    state_[1] = 0xefcdab89;
    state_[2] = 0x98badcfe;
    state_[3] = 0x10325476;
    bitCount_ = 0;
    std::memset(buffer_, 0, sizeof buffer_);
}

unsigned long md5::Update(const unsigned char* input, unsigned long length)
{
    if (length == 0)
        return 0;
    if (input == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, KS_KIND_BAD_ARGUMENT);

    unsigned long used = static_cast<unsigned long>((bitCount_ >> 3) & 63);
    bitCount_ += static_cast<uint64_t>(length) << 3;

    if (used != 0) {
        const unsigned long room = 64 - used;
        if (length < room) {
            std::memcpy(buffer_ + used, input, length);
            return 0;
        }
        std::memcpy(buffer_ + used, input, room);
        transform(buffer_);
        input += room;
        length -= room;
    }
    for (; length >= 64; input += 64, length -= 64)
        transform(input);
    if (length != 0)
        std::memcpy(buffer_, input, length);
    return 0;
}

void md5::Finalize()
{
    // Pad with 0x80 and zeros to 56 bytes modulo 64, then the message length in bits.
    unsigned char lengthBytes[8];
    StoreLE64(lengthBytes, bitCount_);

    static const unsigned char kPadding[64] = {0x80};
    const unsigned long used = static_cast<unsigned long>((bitCount_ >> 3) & 63);
    const unsigned long padLength = used < 56 ? 56 - used : 120 - used;
    Update(kPadding, padLength);
    Update(lengthBytes, 8);

    for (int i = 0; i < 4; ++i)
        StoreLE32(digest_ + 4 * i, state_[i]);

    // Nothing of the message stays behind in the object.
    std::memset(state_, 0, sizeof state_);
    std::memset(buffer_, 0, sizeof buffer_);
    bitCount_ = 0;
}

void md5::transform(const unsigned char* block)
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = LoadLE32(block + 4 * i);

    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    for (int i = 0; i < 64; ++i) {
        const int round = i / 16;
        uint32_t f;
        int k;
        switch (round) {
        case 0:
            f = (b & c) | (~b & d);
            k = i;
            break;
        case 1:
            f = (b & d) | (c & ~d);
            k = (1 + 5 * i) % 16;
            break;
        case 2:
            f = b ^ c ^ d;
            k = (5 + 3 * i) % 16;
            break;
        default:
            f = c ^ (b | ~d);
            k = (7 * i) % 16;
            break;
        }
        const uint32_t rotated = RotateLeft(a + f + kSine[i] + x[k], kShift[round][i % 4]);
        a = d;
        d = c;
        c = b;
        b = b + rotated;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
}
