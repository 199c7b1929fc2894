// Structure-aware mutations of a FAT volume for the fuzz target: boot-sector fields
// changed together with what depends on them (the copies of a FAT entry in every
// FAT, the media byte in entry 0, the two total-sector fields, cluster counts at the
// FAT12/16/32 boundaries), and page-file entries over edited chains.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

#include "HoledVolume.h"

class FatVolumeMutator {
public:
    FatVolumeMutator(uint8_t* data, size_t size, unsigned seed)
        : volume_(data, size), data_(volume_.At(0, 512)), random_(seed)
    {
    }

    // Applies one structured change; false when the input is too short for one.
    bool Mutate();

private:
    uint32_t Pick(uint32_t bound) { return bound == 0 ? 0 : static_cast<uint32_t>(random_() % bound); }
    uint32_t Interesting32();

    void SetSectorsPerCluster();
    void SetTotalSectors();
    void SetClusterCountAtBoundary();
    void SetSectorsPerFat();
    void SetMediaByte();
    void SetRootCluster();
    void SetLayoutByte();
    void SwapTypeText();
    void PutSystemFileEntry();
    void EditChain();

    // Boot-sector figures as the volume states them.
    bool IsFat32() const;
    uint64_t SectorsPerFat() const;
    uint64_t FirstDataSector() const;
    // Writes an entry of cluster into every FAT copy, where the input holds it.
    void SetFatEntry(uint32_t cluster, uint32_t value);

    HoledVolume volume_;
    // The boot sector, null when the input does not hold it whole.
    uint8_t* data_;
    std::minstd_rand random_;
};
