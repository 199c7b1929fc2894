// The first-cluster fields of every directory entry of a FAT volume, renumbered after
// its clusters were split into smaller ones: the fixed root directory (FAT16) is given
// as bytes, every other directory is found through the new table from the root.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class CScratchVolume;

struct FatDirectoryPlace {
    bool fat32 = false;
    uint64_t dataStart = 0;      // the new data area's first sector
    uint32_t clusterSectors = 0; // the new cluster size
    uint64_t clusters = 0;       // the new cluster count
};

// A file's first cluster (a new number) and its length in bytes.
struct FatFileChain {
    uint32_t first;
    uint32_t bytes;
};

// renumber maps an old cluster number to its new one; it answers 0 for a number that
// names no cluster of the old volume, which is then left as it stands. fixedRoot holds
// a FAT16 volume's root directory (empty on FAT32, whose root starts at rootCluster, a
// new number). fat is the new table. files receives every file (not directory) that
// has a cluster. False when a directory cannot be read or written.
bool RenumberDirectoryClusters(CScratchVolume& scratch, const FatDirectoryPlace& place,
                               const std::vector<unsigned char>& fat, std::vector<unsigned char>& fixedRoot,
                               uint32_t rootCluster, const std::function<uint32_t(uint32_t)>& renumber,
                               std::vector<FatFileChain>& files);
