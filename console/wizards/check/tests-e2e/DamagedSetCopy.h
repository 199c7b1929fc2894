// Copies of an image set damaged in one known place, for the walks that must fail:
// one byte of a stored block flipped, located through the container reader's own
// block listing, and a file of a split set cut short.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where a stored block of a volume lies in the set's file.
struct StoredBlockPlace {
    uint64_t filePos = 0;   // first byte of the stored data in the file
    uint32_t stored = 0;    // stored bytes
    uint32_t firstCluster = 0;
    size_t blocks = 0;      // blocks the volume lists in this file
};

// The middle block (by listing order) of volume volumeIndex (0 = first) of the
// single-file set file, as its reader lists it. Fails the test when the set cannot
// be opened or the volume lists no stored block.
StoredBlockPlace LocateStoredBlock(const std::string& file, size_t volumeIndex);

// Flips every bit of the byte at pos.
void FlipByte(const std::string& file, uint64_t pos);

// Cuts file to its first half.
void CutToHalf(const std::string& file);

// A set of three stored copies of the fixture's FAT32 volume, sector by sector and
// uncompressed, in files of the smallest split size: at least three files. Their
// names by order go to files.
std::string BackUpSplitSet(const std::string& name, std::vector<std::string>* files);

// Copies the set's files from folder into a fresh work folder named name; the copy's folder.
std::string CopySet(const std::string& folder, const std::string& name);
