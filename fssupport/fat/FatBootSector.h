// The boot sector of a FAT volume: which FAT flavour its text and parameters claim,
// and the volume layout that follows from them.
#pragma once

#include <cstdint>

class FatBootSector {
public:
    static constexpr unsigned kSectorBytes = 512;

    // The flavour the boot sector claims, decided in this order (first match wins).
    enum LabelKind : unsigned { kLabelFat12 = 0, kLabelFat16 = 1, kLabelFat32 = 2, kLabelNone = 7 };

    explicit FatBootSector(const unsigned char* sector);

    LabelKind Label() const { return label_; }
    const unsigned char* Bytes() const { return bytes_; }

    uint16_t BytesPerSector() const { return bytesPerSector_; }
    uint8_t SectorsPerCluster() const { return sectorsPerCluster_; }
    uint16_t ReservedSectors() const { return reservedSectors_; }
    uint8_t NumberOfFats() const { return numberOfFats_; }
    uint16_t RootEntries() const { return rootEntries_; }
    uint32_t TotalSectors() const { return totalSectors_; }
    uint32_t SectorsPerFat() const { return sectorsPerFat_; }
    uint8_t MediaByte() const { return mediaByte_; }
    uint32_t RootCluster() const { return rootCluster_; }

    // Sectors of the fixed root directory (zero on FAT32 volumes, which have none).
    uint32_t RootDirSectors() const { return (static_cast<uint32_t>(rootEntries_) * 32 + 511) / 512; }
    uint64_t FatStartSector() const { return reservedSectors_; }
    uint64_t RootDirStartSector() const
    {
        return static_cast<uint64_t>(reservedSectors_) + static_cast<uint64_t>(numberOfFats_) * sectorsPerFat_;
    }
    uint64_t FirstDataSector() const { return RootDirStartSector() + RootDirSectors(); }
    // True when the reserved area, the FATs and the root directory leave room for at
    // least one data cluster inside the volume.
    bool LayoutFits() const;
    // Data clusters of the volume; 0 when the layout does not fit.
    uint32_t ClusterCount() const;

private:
    LabelKind DecideLabel() const;
    bool CommonFieldsValid() const;

    unsigned char bytes_[kSectorBytes];
    uint16_t bytesPerSector_;
    uint8_t sectorsPerCluster_;
    uint16_t reservedSectors_;
    uint8_t numberOfFats_;
    uint16_t rootEntries_;
    uint32_t totalSectors_;
    uint16_t sectorsPerFat16_;
    uint32_t sectorsPerFat_;
    uint8_t mediaByte_;
    uint32_t rootCluster_;
    LabelKind label_;
};
