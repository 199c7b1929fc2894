// A target disk as the layout arithmetic sees it: its geometry and its size.
#pragma once

#include <cstdint>

struct TargetDiskShape {
    uint32_t tracksPerCylinder = 255;
    uint32_t sectorsPerTrack = 63;
    uint64_t totalSectors = 0;

    uint64_t Cylinder() const { return uint64_t(tracksPerCylinder) * sectorsPerTrack; }
    uint64_t LastSector() const { return totalSectors - 1; }
};
