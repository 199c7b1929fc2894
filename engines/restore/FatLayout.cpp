#include "FatLayout.h"

#include "LittleEndian.h"

namespace {
struct ClusterRow {
    uint64_t from, below;
    uint32_t sectorsPerCluster;
};
constexpr ClusterRow kFat16Rows[] = {
    {33264, 65520, 1},      {65520, 131040, 2},     {131040, 262080, 4},    {262080, 524160, 8},
    {524160, 1048320, 16},  {1048320, 2096640, 32}, {2096640, 4193280, 64}, {4193280, 8386929, 128},
};
constexpr ClusterRow kFat32Rows[] = {
    {67536, 133056, 1},          {133056, 264096, 2},           {264096, 526176, 4},
    {526176, 16777152, 8},       {16777152, 33554304, 16},      {33554304, 67108608, 32},
    {67108608, 268435440, 64},   {268435440, 1048576000, 128},
};
constexpr uint32_t kUnknown = 0xFFFFFFFFu;
}

uint32_t FatClusterSizeFor(uint8_t fileSystem, uint64_t sectors)
{
    if (fileSystem == KS_FS_FAT16) {
        for (const ClusterRow& row : kFat16Rows)
            if (sectors >= row.from && sectors < row.below)
                return row.sectorsPerCluster;
    } else if (fileSystem == KS_FS_FAT32) {
        for (const ClusterRow& row : kFat32Rows)
            if (sectors >= row.from && sectors < row.below)
                return row.sectorsPerCluster;
    }
    return 1;
}

uint32_t FatSizeFor(const _KS_VOLUME& v, uint64_t sectors)
{
    const uint64_t spc = v.SectorsPerCluster;
    if (v.FileSystem == KS_FS_FAT32)
        return static_cast<uint32_t>((sectors + 2 * spc - v.ReservedSectors) * 4 / (512 * spc + 4 * v.NumberOfFats) + 1);
    return static_cast<uint32_t>((sectors + 2 * spc - v.RootDirSectors - v.ReservedSectors) * 2 /
                                     (512 * spc + 2 * v.NumberOfFats) +
                                 1);
}

void PatchFatBootSector(unsigned char boot[512], uint8_t fileSystem, uint64_t sectors, uint32_t fatSize)
{
    if (fileSystem == KS_FS_FAT32) {
        StoreLE16(boot + 19, 0);
        StoreLE32(boot + 32, static_cast<uint32_t>(sectors));
        StoreLE32(boot + 36, fatSize);
        return;
    }
    StoreLE16(boot + 22, static_cast<uint16_t>(fatSize));
    if (sectors > 0xFFFF) {
        StoreLE16(boot + 19, 0);
        StoreLE32(boot + 32, static_cast<uint32_t>(sectors));
    } else {
        StoreLE16(boot + 19, static_cast<uint16_t>(sectors));
        StoreLE32(boot + 32, 0);
    }
}

void ForgetFsInfoCounts(unsigned char fsInfo[512])
{
    StoreLE32(fsInfo + 488, kUnknown);
    StoreLE32(fsInfo + 492, kUnknown);
}
