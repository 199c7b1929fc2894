// Encodes a disk image as a partition-table fuzz input: its size, then every sector
// that holds anything, with its number (see SparseDiskInput).
#include <cstdio>
#include <vector>

#include "LittleEndian.h"
#include "SparseDiskInput.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IMAGE INPUT\n", argv[0]);
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr)
        return 1;
    std::fseek(in, 0, SEEK_END);
    const long bytes = std::ftell(in);
    std::fseek(in, 0, SEEK_SET);
    const uint64_t sectors = static_cast<uint64_t>(bytes) / 512;
    if (sectors < SparseDiskInput::kMinSectors || sectors > SparseDiskInput::kMaxSectors)
        return 1;
    std::vector<unsigned char> out(4);
    StoreLE32(out.data(), static_cast<uint32_t>(sectors - SparseDiskInput::kMinSectors));
    unsigned char sector[512];
    for (uint64_t lba = 0; lba < sectors && std::fread(sector, 1, 512, in) == 512; ++lba) {
        bool zero = true;
        for (unsigned char b : sector)
            zero = zero && b == 0;
        if (zero)
            continue;
        const size_t at = out.size();
        out.resize(at + 4 + 512);
        StoreLE32(out.data() + at, static_cast<uint32_t>(lba));
        std::copy(sector, sector + 512, out.data() + at + 4);
    }
    std::fclose(in);
    std::FILE* f = std::fopen(argv[2], "wb");
    if (f == nullptr)
        return 1;
    const bool written = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && written ? 0 : 1;
}
