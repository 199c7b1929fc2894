// Sector figures of a FAT volume's metadata: its tables and fixed root directory.
#pragma once

#include <cstdint>

constexpr uint32_t kFatCount = 2;
constexpr uint64_t kFixedRootSectors = 32;  // 512 entries of 32 bytes
constexpr uint64_t kFat32ReservedSectors = 32;

// Bytes of one table holding entries entries of the variant (0 FAT12, 1 FAT16, 2 FAT32).
uint64_t FatTableBytes(uint32_t variant, uint64_t entries);
// Fixed root sectors of the variant: none on FAT32.
uint64_t FixedRootSectors(uint32_t variant);
// The fewest sectors one table of any volume of that size and cluster size can take:
// the tables must cover every cluster that fits beside them.
uint64_t SmallestTableSectors(uint32_t variant, uint64_t sectors, uint64_t reserved, uint64_t sectorsPerCluster);
// The most sectors one table of such a volume needs: one entry for every cluster the
// whole volume could hold.
uint64_t LargestTableSectors(uint32_t variant, uint64_t sectors, uint64_t sectorsPerCluster);
