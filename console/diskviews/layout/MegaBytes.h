// Sizes of the layout engine in MB of 2,048 sectors, and their comparison.
#pragma once

#include <cmath>
#include <cstdint>

constexpr double kMBEpsilon = 0.00001;

// FAT sizes a move or resize snaps to: the smallest size once a FAT partition has been
// raised, and the gap between the largest FAT12 and the smallest FAT16 size, whose
// sizes go to one side or the other.
constexpr double kFatRaisedSmallestMB = 2.5609375;
constexpr double kFat12TopMB = 15.65;
constexpr double kFat16BottomMB = 16.3421875;

inline double SectorsToMB(uint64_t sectors)
{
    return (static_cast<double>(sectors) * 10) / 2048.0 / 10.0;
}

inline uint64_t MBToSectors(double mb)
{
    return mb <= 0 ? 0 : static_cast<uint64_t>(std::llround(mb * 2048.0));
}

inline bool MBEqual(double a, double b)
{
    return std::fabs(a - b) < kMBEpsilon;
}
