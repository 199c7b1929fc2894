#include "crc64.h"

#include "KSResult.h"
#include "LittleEndian.h"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(RVD_CRC64_TABLE_ONLY)
#define RVD_CRC64_CLMUL 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace {

constexpr uint64_t kReflectedPolynomial = 0x95AC9329AC4BC9B5ull;
constexpr uint64_t kPolynomial = 0xAD93D23594C935A9ull; // x^64 left out

// Slicing by 16: slice[0] is the byte-at-a-time table; slice[k][i] is the register
// contribution of byte i seen k bytes earlier, so that sixteen bytes fold into the
// register with sixteen look-ups and no dependency between them. The values are
// those of the one-table loop, byte for byte.
struct Crc64Tables {
    uint64_t slice[16][256];
};

constexpr Crc64Tables BuildCrc64Tables()
{
    Crc64Tables t{};
    // table[i] is i taken through eight steps, each shifting right by one and XORing
    // the reflected polynomial when the bit shifted out was 1.
    for (uint64_t i = 0; i < 256; ++i) {
        uint64_t r = i;
        for (int step = 0; step < 8; ++step)
            r = (r & 1) ? (r >> 1) ^ kReflectedPolynomial : r >> 1;
        t.slice[0][i] = r;
    }
    for (int k = 1; k < 16; ++k)
        for (int i = 0; i < 256; ++i) {
            const uint64_t prev = t.slice[k - 1][i];
            t.slice[k][i] = t.slice[0][prev & 0xFF] ^ (prev >> 8);
        }
    return t;
}

constexpr Crc64Tables kTables = BuildCrc64Tables();

uint64_t TableCrc(uint64_t reg, const unsigned char* data, unsigned long length)
{
    const auto& s = kTables.slice;
    unsigned long i = 0;
    for (; i + 16 <= length; i += 16) {
        const uint64_t x = reg ^ LoadLE64(data + i);
        const uint64_t y = LoadLE64(data + i + 8);
        reg = s[15][x & 0xFF] ^ s[14][(x >> 8) & 0xFF] ^ s[13][(x >> 16) & 0xFF] ^ s[12][(x >> 24) & 0xFF] ^
              s[11][(x >> 32) & 0xFF] ^ s[10][(x >> 40) & 0xFF] ^ s[9][(x >> 48) & 0xFF] ^ s[8][x >> 56] ^
              s[7][y & 0xFF] ^ s[6][(y >> 8) & 0xFF] ^ s[5][(y >> 16) & 0xFF] ^ s[4][(y >> 24) & 0xFF] ^
              s[3][(y >> 32) & 0xFF] ^ s[2][(y >> 40) & 0xFF] ^ s[1][(y >> 48) & 0xFF] ^ s[0][y >> 56];
    }
    for (; i < length; ++i)
        reg = s[0][(reg ^ data[i]) & 0xFF] ^ (reg >> 8);
    return reg;
}

#ifdef RVD_CRC64_CLMUL

// Folding with carry-less multiplication. In the reflected bit order a 64-bit word
// w stands for the polynomial with coefficient w_i at x^(63 - i), and a 16-byte
// lane for (first word) x^64 + (second word). A carry-less product of two such
// words is their product times x, so a lane moved d bits further along the
// message is (first word) x (x^(d+63) mod P) + (second word) x (x^(d-1) mod P):
// congruent modulo P and again 128 bits, which leaves the CRC unchanged.

// x^n mod P as a reflected word.
constexpr uint64_t PowerModP(unsigned n)
{
    uint64_t r = 1; // normal order: bit k is the coefficient of x^k
    for (unsigned i = 0; i < n; ++i)
        r = (r >> 63) != 0 ? (r << 1) ^ kPolynomial : r << 1;
    uint64_t reflected = 0;
    for (int bit = 0; bit < 64; ++bit)
        if ((r >> bit) & 1)
            reflected |= 1ull << (63 - bit);
    return reflected;
}

struct FoldConstants {
    uint64_t first, second;
};
constexpr FoldConstants Fold(unsigned bits) { return {PowerModP(bits + 63), PowerModP(bits - 1)}; }

constexpr FoldConstants kFold512 = Fold(512); // four lanes ahead
constexpr FoldConstants kFold384 = Fold(384);
constexpr FoldConstants kFold256 = Fold(256);
constexpr FoldConstants kFold128 = Fold(128);

__attribute__((target("pclmul,sse2"))) inline __m128i Moved(__m128i lane, const FoldConstants& k)
{
    const __m128i constants = _mm_set_epi64x(static_cast<long long>(k.second), static_cast<long long>(k.first));
    return _mm_xor_si128(_mm_clmulepi64_si128(lane, constants, 0x00), _mm_clmulepi64_si128(lane, constants, 0x11));
}

// At least 64 bytes; the register folds into the first word.
__attribute__((target("pclmul,sse2"))) uint64_t ClmulCrc(uint64_t reg, const unsigned char* data, unsigned long length)
{
    const __m128i* in = reinterpret_cast<const __m128i*>(data);
    __m128i a = _mm_xor_si128(_mm_loadu_si128(in), _mm_set_epi64x(0, static_cast<long long>(reg)));
    __m128i b = _mm_loadu_si128(in + 1);
    __m128i c = _mm_loadu_si128(in + 2);
    __m128i d = _mm_loadu_si128(in + 3);
    unsigned long at = 64;
    for (; at + 64 <= length; at += 64) {
        const __m128i* next = reinterpret_cast<const __m128i*>(data + at);
        a = _mm_xor_si128(Moved(a, kFold512), _mm_loadu_si128(next));
        b = _mm_xor_si128(Moved(b, kFold512), _mm_loadu_si128(next + 1));
        c = _mm_xor_si128(Moved(c, kFold512), _mm_loadu_si128(next + 2));
        d = _mm_xor_si128(Moved(d, kFold512), _mm_loadu_si128(next + 3));
    }
    const __m128i folded =
        _mm_xor_si128(_mm_xor_si128(Moved(a, kFold384), Moved(b, kFold256)), _mm_xor_si128(Moved(c, kFold128), d));
    unsigned char last[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(last), folded);
    return TableCrc(TableCrc(0, last, 16), data + at, length - at);
}

bool HasClmul()
{
    static const bool has = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        return __get_cpuid(1, &a, &b, &c, &d) != 0 && (c & bit_PCLMUL) != 0 && (d & bit_SSE2) != 0;
    }();
    return has;
}

#endif

} // namespace

unsigned long crc64(const unsigned char* data, unsigned long length, uint64_t* out)
{
    if (data == nullptr || out == nullptr)
        return KS_RESULT(KS_MODULE_CONTAINER, KS_KIND_BAD_ARGUMENT);
#ifdef RVD_CRC64_CLMUL
    if (length >= 256 && HasClmul()) {
        *out = ClmulCrc(~0ull, data, length);
        return 0;
    }
#endif
    *out = TableCrc(~0ull, data, length);
    return 0;
}
