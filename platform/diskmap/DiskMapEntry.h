// One disk of the disk map.
#pragma once

#include <cstdint>
#include <string>

struct DiskMapEntry {
    unsigned number = 0;          // position in the map; the N of "\\.\PhysicalDriveN"
    std::string path;             // where the bytes are: a device node or an image file
    std::string model;            // what the disk calls itself
    uint64_t sectors = 0;         // size in 512-byte sectors
    bool imageFile = false;       // true for a disk-image file
};
