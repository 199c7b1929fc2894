// What the module knows about the file system of a partition.
#pragma once

#include <cstdint>
#include <string>

#include "vessmar/FileSystemType.h"

struct FileSystemInfo {
    enumFILE_SYSTEM_TYPE kind = FILE_SYSTEM_OTHER;
    std::string label;
    uint64_t serial = 0;
    int sectorsPerCluster = 0;   // 0 when the kind has no clusters that we know of
    uint32_t reservedSectors = 0;
    uint64_t usedSectors = 0;
    bool hasBootRecord = false;
};
