#include "crc64.h"

#include "KSResult.h"
#include "LittleEndian.h"

namespace {

constexpr uint64_t kReflectedPolynomial = 0x95AC9329AC4BC9B5ull;

// Slicing by 16: slice[0] is the byte-at-a-time table; slice[k][i] is the register
// contribution of byte i seen k bytes earlier, so that sixteen bytes fold into the
// register with sixteen look-ups and no dependency between them. The values are
// those of the one-table loop, byte for byte.
struct Crc64Tables {
    uint64_t slice[16][256];
};

constexpr Crc64Tables BuildTables()
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

constexpr Crc64Tables kTables = BuildTables();

} // namespace

unsigned long crc64(const unsigned char* data, unsigned long length, uint64_t* out)
{
    if (data == nullptr || out == nullptr)
        return KS_RESULT(KS_MODULE_CONTAINER, KS_KIND_BAD_ARGUMENT);

    const auto& s = kTables.slice;
    uint64_t reg = ~0ull;
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
    *out = reg;
    return 0;
}
