// Finds out what file system a partition holds: the kind and label from libblkid,
// cluster figures from the boot sector, used sectors from the system's own readers
// where they are built in (all sectors otherwise).
#pragma once

#include <cstdint>
#include <string>

#include "FileSystemInfo.h"

class CFileSystemProbe {
public:
    static FileSystemInfo Probe(const std::string& path, uint64_t start, uint64_t count);
};
