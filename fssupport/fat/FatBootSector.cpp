#include "FatBootSector.h"

#include <cstring>

#include "LittleEndian.h"

FatBootSector::FatBootSector(const unsigned char* sector)
{
    std::memcpy(bytes_, sector, kSectorBytes);
    bytesPerSector_ = LoadLE16(bytes_ + 11);
    sectorsPerCluster_ = bytes_[13];
    reservedSectors_ = LoadLE16(bytes_ + 14);
    numberOfFats_ = bytes_[16];
    rootEntries_ = LoadLE16(bytes_ + 17);
    mediaByte_ = bytes_[21];
    sectorsPerFat16_ = LoadLE16(bytes_ + 22);
    // The 16-bit total is used when it is set; large volumes keep it in the 32-bit field.
    const uint16_t total16 = LoadLE16(bytes_ + 19);
    totalSectors_ = total16 != 0 ? total16 : LoadLE32(bytes_ + 32);
    label_ = DecideLabel();
    if (label_ == kLabelFat32) {
        sectorsPerFat_ = LoadLE32(bytes_ + 36);
        rootCluster_ = LoadLE32(bytes_ + 44);
    } else {
        sectorsPerFat_ = sectorsPerFat16_;
        rootCluster_ = 0;
    }
}

bool FatBootSector::CommonFieldsValid() const
{
    // Every offset of this reader counts 512-byte sectors; a volume with larger
    // sectors would be read at the wrong places.
    if (bytesPerSector_ != kSectorBytes)
        return false;
    if (bytes_[510] != 0x55 || bytes_[511] != 0xAA)
        return false;
    if (numberOfFats_ != 1 && numberOfFats_ != 2)
        return false;
    const unsigned spc = sectorsPerCluster_;
    return spc != 0 && spc <= 128 && (spc & (spc - 1)) == 0;
}

FatBootSector::LabelKind FatBootSector::DecideLabel() const
{
    if (!CommonFieldsValid())
        return kLabelNone;
    const bool rootEntriesValid = rootEntries_ >= 224 && rootEntries_ <= 2048 && rootEntries_ % 16 == 0;
    if (std::memcmp(bytes_ + 54, "FAT12   ", 8) == 0 && rootEntriesValid && sectorsPerFat16_ >= 1 &&
        sectorsPerFat16_ <= 200)
        return kLabelFat12;
    if (std::memcmp(bytes_ + 54, "FAT16   ", 8) == 0 && rootEntriesValid && sectorsPerFat16_ >= 1)
        return kLabelFat16;
    if (std::memcmp(bytes_ + 82, "FAT32   ", 8) == 0 && LoadLE32(bytes_ + 36) != 0)
        return kLabelFat32;
    return kLabelNone;
}

bool FatBootSector::LayoutFits() const
{
    if (label_ == kLabelNone || reservedSectors_ == 0)
        return false;
    const uint64_t firstData = FirstDataSector();
    return firstData < totalSectors_ && (totalSectors_ - firstData) / sectorsPerCluster_ >= 1;
}

uint32_t FatBootSector::ClusterCount() const
{
    if (!LayoutFits())
        return 0;
    return static_cast<uint32_t>((totalSectors_ - FirstDataSector()) / sectorsPerCluster_);
}
