// A FAT16/FAT32 volume given a new length with its own cluster size: the tables grow or
// shrink to the new cluster count and the clusters in use move with the data area, so
// cluster numbers, chains and directories stay as they are. It serves where libparted
// refuses, which it does for every FAT32 volume of clusters under 4 KiB and every FAT16
// volume of 512-byte clusters, whatever the new length, and for a shrink that leaves
// too few clusters of the volume's size for its FAT type. There the clusters are split
// into halves (or smaller, as needed): each piece keeps the bytes' place in the data
// area, the chains run through the pieces and directory entries name the first piece.
// Clusters in use past the new length are packed at the front of the data area in
// their order, with their chains and directory entries renumbered alike.
#pragma once

#include <cstdint>

class CScratchVolume;

class CFatRelayout {
public:
    enum Outcome { kResized, kRefused, kNotFat, kFailed };
    // scratch holds the volume from sector 0 and has room for newSectors. Refused when
    // no cluster size down to one sector keeps the volume's FAT type on the new length,
    // or when the clusters in use do not fit in it.
    static Outcome Resize(CScratchVolume& scratch, uint64_t newSectors);
};
