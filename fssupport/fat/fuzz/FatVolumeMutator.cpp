#include "FatVolumeMutator.h"

#include <cstring>

#include "LittleEndian.h"

namespace {
// The cluster counts where the entry width changes, and their neighbours.
constexpr uint32_t kBoundaries[] = {4084, 4085, 4086, 65524, 65525, 65526};
} // namespace

bool FatVolumeMutator::Mutate()
{
    if (data_ == nullptr)
        return false;
    switch (Pick(10)) {
    case 0: SetSectorsPerCluster(); break;
    case 1: SetTotalSectors(); break;
    case 2: SetClusterCountAtBoundary(); break;
    case 3: SetSectorsPerFat(); break;
    case 4: SetMediaByte(); break;
    case 5: SetRootCluster(); break;
    case 6: SetLayoutByte(); break;
    case 7: SwapTypeText(); break;
    case 8: PutSystemFileEntry(); break;
    default: EditChain(); break;
    }
    return true;
}

uint32_t FatVolumeMutator::Interesting32()
{
    static const uint32_t values[] = {0, 1, 2, 3, 0x7F, 0x80, 0xFF, 0x100, 0xFFF5, 0xFFF7, 0xFFF8, 0xFFFF,
                                      0x10000, 0x0FFFFFF5, 0x0FFFFFF7, 0x0FFFFFF8, 0x0FFFFFFF, 0x10000000,
                                      0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    if (Pick(4) == 0)
        return static_cast<uint32_t>(random_());
    return values[Pick(sizeof values / sizeof values[0])];
}

bool FatVolumeMutator::IsFat32() const { return LoadLE16(data_ + 22) == 0; }

uint64_t FatVolumeMutator::SectorsPerFat() const
{
    return IsFat32() ? LoadLE32(data_ + 36) : LoadLE16(data_ + 22);
}

uint64_t FatVolumeMutator::FirstDataSector() const
{
    const uint64_t rootSectors = (LoadLE16(data_ + 17) * 32ull + 511) / 512;
    return LoadLE16(data_ + 14) + data_[16] * SectorsPerFat() + rootSectors;
}

void FatVolumeMutator::SetFatEntry(uint32_t cluster, uint32_t value)
{
    const uint64_t first = LoadLE16(data_ + 14);
    // The entry width follows the type text, as the seeds' volumes state it.
    const bool fat12 = std::memcmp(data_ + 54, "FAT12", 5) == 0;
    for (unsigned n = 0; n < data_[16] && n < 4; ++n) {
        const uint64_t fat = (first + n * SectorsPerFat()) * 512;
        if (IsFat32()) {
            if (uint8_t* p = volume_.At(fat + uint64_t(cluster) * 4, 4))
                StoreLE32(p, value);
        } else if (fat12) {
            uint8_t* p = volume_.At(fat + uint64_t(cluster) * 3 / 2, 2);
            if (p == nullptr)
                continue;
            const uint16_t word = LoadLE16(p);
            StoreLE16(p, (cluster & 1) ? static_cast<uint16_t>((word & 0x000F) | ((value & 0xFFF) << 4))
                                       : static_cast<uint16_t>((word & 0xF000) | (value & 0xFFF)));
        } else if (uint8_t* p = volume_.At(fat + uint64_t(cluster) * 2, 2)) {
            StoreLE16(p, static_cast<uint16_t>(value));
        }
    }
}

void FatVolumeMutator::SetSectorsPerCluster()
{
    data_[13] = Pick(5) == 0 ? static_cast<uint8_t>(random_()) : static_cast<uint8_t>(1u << Pick(8));
}

void FatVolumeMutator::SetTotalSectors()
{
    // Both fields at once: the 16-bit one, or 0 there and the 32-bit one.
    uint32_t total = LoadLE16(data_ + 19) != 0 ? LoadLE16(data_ + 19) : LoadLE32(data_ + 32);
    switch (Pick(3)) {
    case 0: total += Pick(64) - 32; break;
    case 1: total = Interesting32(); break;
    default: total = static_cast<uint32_t>(FirstDataSector() + Pick(3)); break;
    }
    if (total < 0x10000 && !IsFat32() && Pick(2) == 0) {
        StoreLE16(data_ + 19, static_cast<uint16_t>(total));
        StoreLE32(data_ + 32, 0);
    } else {
        StoreLE16(data_ + 19, 0);
        StoreLE32(data_ + 32, total);
    }
}

void FatVolumeMutator::SetClusterCountAtBoundary()
{
    // The total that gives a boundary cluster count with the volume's own layout.
    const uint32_t clusters = kBoundaries[Pick(sizeof kBoundaries / sizeof kBoundaries[0])];
    const uint64_t total = FirstDataSector() + uint64_t(clusters) * (data_[13] == 0 ? 1 : data_[13]);
    if (total > 0xFFFFFFFFu)
        return;
    if (total < 0x10000 && !IsFat32()) {
        StoreLE16(data_ + 19, static_cast<uint16_t>(total));
        StoreLE32(data_ + 32, 0);
    } else {
        StoreLE16(data_ + 19, 0);
        StoreLE32(data_ + 32, static_cast<uint32_t>(total));
    }
}

void FatVolumeMutator::SetSectorsPerFat()
{
    const uint64_t now = SectorsPerFat();
    const uint64_t value = Pick(2) == 0 ? now + Pick(5) - 2 : Interesting32();
    if (IsFat32())
        StoreLE32(data_ + 36, static_cast<uint32_t>(value));
    else
        StoreLE16(data_ + 22, static_cast<uint16_t>(value == 0 ? 1 : value));
}

void FatVolumeMutator::SetMediaByte()
{
    // The media byte and the low byte of entry 0 in every FAT change together, or
    // only one of them.
    static const uint8_t media[] = {0xF0, 0xF8, 0xF9, 0xFA, 0xFF, 0x00, 0xE5};
    const uint8_t value = media[Pick(sizeof media)];
    const uint32_t choice = Pick(3);
    if (choice != 1)
        data_[21] = value;
    if (choice != 2)
        SetFatEntry(0, (IsFat32() ? 0x0FFFFF00u : 0xFFFFFF00u) | value);
}

void FatVolumeMutator::SetRootCluster()
{
    if (IsFat32())
        StoreLE32(data_ + 44, Pick(2) == 0 ? Pick(8) : Interesting32());
    else
        StoreLE16(data_ + 17, static_cast<uint16_t>(Pick(2) == 0 ? Pick(4) * 16 + 224 : Interesting32()));
}

void FatVolumeMutator::SetLayoutByte()
{
    switch (Pick(3)) {
    case 0: data_[16] = static_cast<uint8_t>(Pick(4)); break;                 // number of FATs
    case 1: StoreLE16(data_ + 14, static_cast<uint16_t>(Pick(40))); break;    // reserved sectors
    default: StoreLE16(data_ + 48, static_cast<uint16_t>(Pick(8))); break;    // information sector
    }
}

void FatVolumeMutator::SwapTypeText()
{
    static const char* const texts[] = {"FAT12   ", "FAT16   ", "FAT32   ", "FAT     "};
    std::memcpy(data_ + (Pick(2) == 0 ? 54 : 82), texts[Pick(4)], 8);
}

void FatVolumeMutator::PutSystemFileEntry()
{
    // A page or hibernation file entry in one of the first root-directory slots,
    // over a chain that starts at a chosen cluster.
    const uint64_t rootSector = IsFat32() ? FirstDataSector() + (uint64_t(LoadLE32(data_ + 44)) - 2) * data_[13]
                                          : FirstDataSector() - (LoadLE16(data_ + 17) * 32ull + 511) / 512;
    uint8_t* entry = volume_.At(rootSector * 512 + Pick(64) * 32, 32);
    if (entry == nullptr)
        return;
    std::memset(entry, 0, 32);
    std::memcpy(entry, Pick(2) == 0 ? "PAGEFILESYS" : "HIBERFILSYS", 11);
    entry[11] = static_cast<uint8_t>(Pick(8) == 0 ? 0x08 : 0x20);
    const uint32_t start = Pick(2) == 0 ? 2 + Pick(64) : Interesting32();
    StoreLE16(entry + 20, static_cast<uint16_t>(start >> 16));
    StoreLE16(entry + 26, static_cast<uint16_t>(start));
}

void FatVolumeMutator::EditChain()
{
    // One FAT entry in every copy: a link onward, back, to itself, free, bad or end.
    const uint32_t cluster = 2 + Pick(256);
    uint32_t value;
    switch (Pick(5)) {
    case 0: value = cluster + 1; break;
    case 1: value = 2 + Pick(cluster); break;
    case 2: value = 0; break;
    case 3: value = 0x0FFFFFF7; break;
    default: value = 0x0FFFFFFF; break;
    }
    SetFatEntry(cluster, value);
}
