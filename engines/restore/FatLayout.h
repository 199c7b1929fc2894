// The FAT arithmetic of a restore onto a larger partition: the cluster size a
// partition of that size calls for, the new FAT size, and the boot-sector patch that
// keeps every field of the boot area consistent with the new size.
#pragma once

#include <cstdint>

#include "KSVolume.h"

// Sectors per cluster that a FAT16 or FAT32 volume of that many sectors gets; 1
// for a count in no row.
uint32_t FatClusterSizeFor(uint8_t fileSystem, uint64_t sectors);

// Sectors per FAT of the volume grown to sectors.
uint32_t FatSizeFor(const _KS_VOLUME& volume, uint64_t sectors);

// Patches the boot sector of a volume grown to sectors with a FAT of fatSize
// sectors: FAT32 total and FAT size; FAT16 FAT size and the total in the field that
// fits, the other field zeroed.
void PatchFatBootSector(unsigned char bootSector[512], uint8_t fileSystem, uint64_t sectors, uint32_t fatSize);

// FSInfo sector of a FAT32 volume whose size changed: the free count and the next
// free cluster become "unknown", so no stale count survives.
void ForgetFsInfoCounts(unsigned char fsInfo[512]);
