// A FAT16/FAT32 volume given a new length with its own cluster size: the tables grow or
// shrink to the new cluster count and the clusters in use move with the data area, so
// cluster numbers, chains and directories stay as they are. It serves where libparted
// refuses, which it does for every FAT32 volume of clusters under 4 KiB and every FAT16
// volume of 512-byte clusters, whatever the new length.
#pragma once

#include <cstdint>

class CScratchVolume;

class CFatRelayout {
public:
    enum Outcome { kResized, kRefused, kNotFat, kFailed };
    // scratch holds the volume from sector 0 and has room for newSectors. Refused when
    // the new cluster count leaves the volume's FAT type or cuts off a cluster in use.
    static Outcome Resize(CScratchVolume& scratch, uint64_t newSectors);
};
