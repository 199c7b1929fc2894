// Test helper: a small FAT volume built byte by byte in memory, for damaged and
// hostile layouts that no formatting tool would make.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "LittleEndian.h"
#include "VolumeImage.h"

struct FatShape {
    int bits;                  // 12, 16 or 32: the entry width and the boot-sector layout
    uint32_t clusters;         // data clusters
    uint8_t sectorsPerCluster = 1;
    uint16_t reservedSectors = 1;
    uint8_t numberOfFats = 2;
    uint16_t rootEntries = 512; // FAT12/16
    uint8_t media = 0xF8;
    // Data clusters held in memory (0: all). A large volume whose test reads only its
    // first clusters keeps the rest out of memory; reads beyond them fail.
    uint32_t storedClusters = 0;
};

class MemoryFatVolume {
public:
    explicit MemoryFatVolume(const FatShape& shape) : shape(shape)
    {
        const uint64_t entries = static_cast<uint64_t>(shape.clusters) + 2;
        const uint64_t fatBytes = shape.bits == 12 ? (entries * 3 + 1) / 2 : entries * (shape.bits / 8);
        sectorsPerFat = static_cast<uint32_t>((fatBytes + 511) / 512);
        const uint32_t rootSectors = shape.bits == 32 ? 0 : (shape.rootEntries * 32u + 511) / 512;
        firstDataSector = shape.reservedSectors + uint64_t(shape.numberOfFats) * sectorsPerFat + rootSectors;
        totalSectors = firstDataSector + uint64_t(shape.clusters) * shape.sectorsPerCluster;
        const uint32_t stored = shape.storedClusters != 0 ? shape.storedClusters : shape.clusters;
        image.bytes.assign(static_cast<size_t>((firstDataSector + uint64_t(stored) * shape.sectorsPerCluster) * 512), 0);

        unsigned char* b = image.bytes.data();
        b[0] = 0xEB;
        b[1] = 0x58;
        b[2] = 0x90;
        std::memcpy(b + 3, "MEMFAT  ", 8);
        StoreLE16(b + 11, 512);
        b[13] = shape.sectorsPerCluster;
        StoreLE16(b + 14, shape.reservedSectors);
        b[16] = shape.numberOfFats;
        StoreLE16(b + 17, shape.bits == 32 ? 0 : shape.rootEntries);
        if (totalSectors < 65536 && shape.bits != 32)
            StoreLE16(b + 19, static_cast<uint16_t>(totalSectors));
        else
            StoreLE32(b + 32, static_cast<uint32_t>(totalSectors));
        b[21] = shape.media;
        if (shape.bits == 32) {
            StoreLE32(b + 36, sectorsPerFat);
            StoreLE32(b + 44, 2);
            StoreLE16(b + 48, 1);
            std::memcpy(b + 82, "FAT32   ", 8);
        } else {
            StoreLE16(b + 22, static_cast<uint16_t>(sectorsPerFat));
            std::memcpy(b + 54, shape.bits == 12 ? "FAT12   " : "FAT16   ", 8);
        }
        b[510] = 0x55;
        b[511] = 0xAA;

        SetFat(0, Mask() & (0xFFFFFF00u | shape.media));
        SetFat(1, Mask());
        if (shape.bits == 32)
            SetFat(2, Mask()); // the root directory, one cluster
    }

    uint32_t Mask() const { return shape.bits == 12 ? 0xFFF : shape.bits == 16 ? 0xFFFF : 0x0FFFFFFF; }
    uint32_t EndOfChain() const { return Mask(); }

    // Sets an entry in every FAT copy.
    void SetFat(uint32_t cluster, uint32_t value)
    {
        for (unsigned n = 0; n < shape.numberOfFats; ++n) {
            unsigned char* fat = image.bytes.data() + (shape.reservedSectors + uint64_t(n) * sectorsPerFat) * 512;
            if (shape.bits == 12) {
                unsigned char* p = fat + cluster * 3 / 2;
                const uint16_t word = LoadLE16(p);
                StoreLE16(p, (cluster & 1) ? static_cast<uint16_t>((word & 0x000F) | ((value & 0xFFF) << 4))
                                           : static_cast<uint16_t>((word & 0xF000) | (value & 0xFFF)));
            } else if (shape.bits == 16) {
                StoreLE16(fat + cluster * 2, static_cast<uint16_t>(value));
            } else {
                StoreLE32(fat + uint64_t(cluster) * 4, value);
            }
        }
    }

    // Links the clusters into one chain that ends with an end-of-chain value.
    void Chain(const std::vector<uint32_t>& clusters)
    {
        for (size_t i = 0; i < clusters.size(); ++i)
            SetFat(clusters[i], i + 1 < clusters.size() ? clusters[i + 1] : EndOfChain());
    }

    unsigned char* Cluster(uint32_t cluster)
    {
        return image.bytes.data() + (firstDataSector + uint64_t(cluster - 2) * shape.sectorsPerCluster) * 512;
    }
    // Entry slot i of the root directory (fixed, or FAT32 cluster 2).
    unsigned char* RootSlot(size_t i)
    {
        if (shape.bits == 32)
            return Cluster(2) + i * 32;
        return image.bytes.data() + (firstDataSector - (shape.rootEntries * 32u + 511) / 512) * 512 + i * 32;
    }

    // Writes a short entry: name11 is the 8.3 name as stored (11 bytes, blank padded).
    static void PutEntry(unsigned char* slot, const char* name11, uint8_t attributes, uint32_t start, uint32_t size)
    {
        std::memset(slot, 0, 32);
        std::memcpy(slot, name11, 11);
        slot[11] = attributes;
        StoreLE16(slot + 20, static_cast<uint16_t>(start >> 16));
        StoreLE16(slot + 26, static_cast<uint16_t>(start));
        StoreLE32(slot + 28, size);
    }

    // Writes one long-name entry with the given first byte and checksum, holding up to
    // 13 characters of text.
    static void PutLongNamePart(unsigned char* slot, uint8_t first, uint8_t checksum, const std::string& text)
    {
        static const unsigned offsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
        std::memset(slot, 0, 32);
        slot[0] = first;
        slot[11] = 0x0F;
        slot[13] = checksum;
        for (unsigned i = 0; i < 13; ++i) {
            const uint16_t c = i < text.size() ? static_cast<unsigned char>(text[i]) : (i == text.size() ? 0 : 0xFFFF);
            StoreLE16(slot + offsets[i], c);
        }
    }

    static uint8_t Checksum(const char* name11)
    {
        uint8_t sum = 0;
        for (int i = 0; i < 11; ++i)
            sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + static_cast<unsigned char>(name11[i]));
        return sum;
    }

    FatShape shape;
    uint32_t sectorsPerFat = 0;
    uint64_t firstDataSector = 0;
    uint64_t totalSectors = 0;
    VolumeImage image;
};
