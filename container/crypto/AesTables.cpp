#include "AesTables.h"

namespace {

// Multiplication in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
constexpr uint8_t MulX(uint8_t a)
{
    return static_cast<uint8_t>((a << 1) ^ ((a & 0x80) ? 0x1B : 0x00));
}

constexpr uint8_t Mul(uint8_t a, uint8_t b)
{
    uint8_t product = 0;
    while (b != 0) {
        if (b & 1)
            product = static_cast<uint8_t>(product ^ a);
        a = MulX(a);
        b = static_cast<uint8_t>(b >> 1);
    }
    return product;
}

constexpr uint8_t RotateLeft8(uint8_t v, int n)
{
    return static_cast<uint8_t>((v << n) | (v >> (8 - n)));
}

constexpr uint32_t Word(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3)
{
    return (static_cast<uint32_t>(b0) << 24) | (static_cast<uint32_t>(b1) << 16) |
           (static_cast<uint32_t>(b2) << 8) | static_cast<uint32_t>(b3);
}

constexpr uint32_t RotateRight32(uint32_t v, int n)
{
    return n == 0 ? v : (v >> n) | (v << (32 - n));
}

constexpr AesTables BuildAesTables()
{
    AesTables t{};

    // Powers and logarithms of the generator 3 give every multiplicative inverse.
    uint8_t power[256] = {};
    uint8_t logarithm[256] = {};
    uint8_t p = 1;
    for (int i = 0; i < 255; ++i) {
        power[i] = p;
        logarithm[p] = static_cast<uint8_t>(i);
        p = Mul(p, 3);
    }

    for (int x = 0; x < 256; ++x) {
        const uint8_t inverse = x == 0 ? 0 : power[(255 - logarithm[x]) % 255];
        const uint8_t s = static_cast<uint8_t>(inverse ^ RotateLeft8(inverse, 1) ^ RotateLeft8(inverse, 2) ^
                                               RotateLeft8(inverse, 3) ^ RotateLeft8(inverse, 4) ^ 0x63);
        t.sbox[x] = s;
        t.inverseSbox[s] = static_cast<uint8_t>(x);
    }

    for (int x = 0; x < 256; ++x) {
        const uint8_t s = t.sbox[x];
        const uint8_t si = t.inverseSbox[x];
        const uint32_t e = Word(Mul(s, 2), s, s, Mul(s, 3));
        const uint32_t d = Word(Mul(si, 14), Mul(si, 9), Mul(si, 13), Mul(si, 11));
        for (int n = 0; n < 4; ++n) {
            t.encrypt[n][x] = RotateRight32(e, 8 * n);
            t.decrypt[n][x] = RotateRight32(d, 8 * n);
        }
    }

    uint8_t rc = 1;
    for (int i = 0; i < 10; ++i) {
        t.roundConstants[i] = Word(rc, 0, 0, 0);
        rc = MulX(rc);
    }
    return t;
}

} // namespace

// Declared extern in the header, so this constant has external linkage and lives in
// read-only data, filled in by the compiler.
constexpr AesTables kAesTables = BuildAesTables();
