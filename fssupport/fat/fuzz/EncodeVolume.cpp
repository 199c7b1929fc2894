// Encodes a volume image as a fuzz input of the FAT reader's target (see HoledVolume):
// without its trailing zero sectors, and without its longest inner stretch of zero
// sectors when that is long enough to matter.
#include <cstdio>
#include <vector>

#include "LittleEndian.h"

namespace {
constexpr size_t kSector = 512;
constexpr size_t kSmallestHole = 64; // sectors

bool ZeroSector(const std::vector<unsigned char>& bytes, size_t sector)
{
    for (size_t i = sector * kSector; i < (sector + 1) * kSector; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s VOLUME INPUT\n", argv[0]);
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr)
        return 1;
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(in);

    size_t sectors = bytes.size() / kSector;
    while (sectors > 1 && ZeroSector(bytes, sectors - 1))
        --sectors;
    // The longest stretch of zero sectors after the boot sector.
    size_t holeStart = 0, holeLength = 0;
    for (size_t s = 1; s < sectors;) {
        size_t e = s;
        while (e < sectors && ZeroSector(bytes, e))
            ++e;
        if (e - s > holeLength) {
            holeStart = s;
            holeLength = e - s;
        }
        s = e + 1;
    }
    std::vector<unsigned char> out(bytes.begin(), bytes.begin() + sectors * kSector);
    if (holeLength >= kSmallestHole) {
        out.erase(out.begin() + holeStart * kSector, out.begin() + (holeStart + holeLength) * kSector);
        unsigned char trailer[12] = {'Z', 'E', 'R', 'O'};
        StoreLE32(trailer + 4, static_cast<uint32_t>(holeStart));
        StoreLE32(trailer + 8, static_cast<uint32_t>(holeLength));
        out.insert(out.end(), trailer, trailer + sizeof trailer);
    }
    std::FILE* f = std::fopen(argv[2], "wb");
    if (f == nullptr)
        return 1;
    const bool written = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && written ? 0 : 1;
}
