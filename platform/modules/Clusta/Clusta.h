// The FAT size arithmetic the partition layout engine asks when a FAT volume changes
// size, variant or cluster size.
#pragma once

#include <cstdint>

// Sectors that the data of a FAT volume of the initial geometry will occupy once
// converted to the new size, variant (enumFILE_SYSTEM_TYPE 0, 1, 2) and cluster size:
// new boot area, tables and fixed root plus the data re-clustered. extraReserved is the
// volume's reserved sectors before its first table. Never below what a conversion needs.
extern "C" uint32_t GetFatTotalUsedSector(uint32_t initialFileSystem, uint32_t newFileSystem,
                                          uint32_t initialSectors, uint32_t newSectors,
                                          uint32_t initialSectorsPerCluster, uint32_t newSectorsPerCluster,
                                          uint32_t initialUsedSectors, uint32_t extraReserved);
