// The files the backup benchmark works on: the volume and the disk image holding it,
// made once into the build tree's fixture cache, and a scratch folder for the
// outputs of the runs.
#pragma once

#include <cstdint>
#include <string>

struct BenchVolume {
    std::string volume; // the partition alone, for the peers
    std::string disk;   // the disk image, for the engine through the disk map
};

// Makes (once) the volume and the disk, and reads both whole so that every run reads
// them from the page cache. Empty paths when a fixture script failed.
BenchVolume PreparedBenchVolume();

// A folder of its own under /tmp, removed at exit, ending in '/'.
const std::string& ScratchFolder();

// Total size of the regular files in a folder (an image set may be several files).
uint64_t FolderBytes(const std::string& folder);
void EmptyFolder(const std::string& folder);
uint64_t FileBytes(const std::string& path);
