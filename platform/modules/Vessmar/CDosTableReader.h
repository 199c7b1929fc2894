// Reads a disk's partition table with libfdisk.
#pragma once

#include <cstdint>
#include <string>

#include "DosTable.h"

class CDosTableReader {
public:
    // sectorsPerTrack decides which primary partitions start in the first track.
    static DosTable Read(const std::string& path, uint32_t sectorsPerTrack);
};
