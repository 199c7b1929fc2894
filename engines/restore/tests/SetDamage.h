// Damage done to an image set's file the way a failing disk does it: one byte of the
// stored bytes of a volume's block or of its boot track changed in place. The places
// are found through the container and the file's own tail, for sets of one file.
#pragma once

#include <cstdint>
#include <string>

struct StoredPlace {
    uint64_t filePos = 0;  // first stored byte in the file
    uint32_t stored = 0;   // bytes it takes in the file
    uint32_t raw = 0;      // bytes it holds
};

// A block of the volume backed up from the partition at partitionStart: one kept
// deflated when compressed is set, else one kept as it is; the middle one of those
// the volume's block walk lists. False when the volume has none of that kind.
bool FindVolumeBlock(const std::string& file, uint64_t partitionStart, bool compressed, StoredPlace& place);
// The stored sectors before the volume (the disk's first track).
bool FindPreVolumeSectors(const std::string& file, uint64_t partitionStart, StoredPlace& place);
// The longest sector run of the volume's system area (a FAT volume's boot area, FATs
// and root directory are kept by sector number, apart from the blocks).
bool FindSystemRun(const std::string& file, uint64_t partitionStart, StoredPlace& place);
// An index chunk of the volume (the list of its blocks and the clusters each holds):
// one kept as it is that lists at least three blocks, or one kept deflated.
bool FindIndexChunk(const std::string& file, uint64_t partitionStart, bool compressed, StoredPlace& place);
// The container's code for the first block of that volume that does not read (0 when
// every block reads): what a restore of the volume must end with.
unsigned long FirstBlockFailure(const std::string& file, uint64_t partitionStart);
// Flips every bit of the byte in the middle of the place.
bool FlipMiddleByte(const std::string& file, const StoredPlace& place);
// Flips the bits of mask in the byte at a file position.
bool FlipByte(const std::string& file, uint64_t pos, uint8_t mask);
// A copy of a set's file in a folder of its own, to damage without touching the set.
std::string CopySetFile(const std::string& file, const std::string& folder);
