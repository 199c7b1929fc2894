#include "CloneProgressTexts.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

std::string GetSizeString(uint64_t sectors)
{
    const uint64_t mb = sectors >> 11;
    char text[64];
    if (mb < 1024) {
        std::snprintf(text, sizeof text, "%" PRIu64 "MB", mb);
        return text;
    }
    std::snprintf(text, sizeof text, "%f", static_cast<double>(mb) / 1024.0);
    // Three digits after the point, cut rather than rounded.
    if (char* point = std::strchr(text, '.'))
        point[4] = '\0';
    return std::string(text) + "GB";
}

const char* CloneFileSystemName(uint16_t volumeType)
{
    switch (volumeType) {
    case 1: return "FAT12";
    case 2: return "FAT16";
    case 3: return "FAT32";
    case 4: return "NTFS";
    case 6: return "Unformatted";
    case 8: return "Other(BitLocker Encrypted)";
    default: return "Other";
    }
}

std::string ClonePartitionLogText(int index, uint16_t volumeType, uint64_t sectors)
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "\n              Partition: %d\n            File system: %s\n                   Size: %s\n", index,
                  CloneFileSystemName(volumeType), GetSizeString(sectors).c_str());
    return text;
}

std::string CloneSummaryFrom(int sourceDisk)
{
    char text[96];
    // The disk lists number disks from 1.
    std::snprintf(text, sizeof text, "                From : Hard disk %d\n", sourceDisk + 1);
    return text;
}

std::string CloneSummaryTo(int targetDisk)
{
    char text[96];
    std::snprintf(text, sizeof text, "                  To : Hard disk %d\n\n", targetDisk + 1);
    return text;
}

std::string CloneTotalLabel(uint32_t percent)
{
    return std::string(kCloneTotalFirstText) + std::to_string(percent) + "%";
}

std::string CloneCurrentLabel(uint32_t percent)
{
    return std::string(kCloneCurrentFirstText) + std::to_string(percent) + "%";
}
