#include "crc64.h"

#include "KSResult.h"

namespace {

constexpr uint64_t kReflectedPolynomial = 0x95AC9329AC4BC9B5ull;

struct Crc64Table {
    uint64_t entry[256];
};

// table[i] is i taken through eight steps, each shifting right by one and XORing the
// reflected polynomial when the bit shifted out was 1.
constexpr Crc64Table BuildTable()
{
    Crc64Table table{};
    for (uint64_t i = 0; i < 256; ++i) {
        uint64_t r = i;
        for (int step = 0; step < 8; ++step)
            r = (r & 1) ? (r >> 1) ^ kReflectedPolynomial : r >> 1;
        table.entry[i] = r;
    }
    return table;
}

constexpr Crc64Table kTable = BuildTable();

} // namespace

unsigned long crc64(const unsigned char* data, unsigned long length, uint64_t* out)
{
    if (data == nullptr || out == nullptr)
        return KS_RESULT(KS_MODULE_CONTAINER, KS_KIND_BAD_ARGUMENT);

    uint64_t reg = ~0ull;
    for (unsigned long i = 0; i < length; ++i)
        reg = kTable.entry[(reg ^ data[i]) & 0xFF] ^ (reg >> 8);
    *out = reg;
    return 0;
}
