// Percentages of a check run. The run reserves 5 % for its start; each of its
// volumes gets an equal share of the other 95 %, of which reading the blocks takes
// 90 parts of a hundred and comparing the bitmaps the rest. Every division is an
// integer division of its own, so the figures step exactly as callers expect
// (two volumes: 52 % when the first is done).
#pragma once

#include <cstdint>

namespace CheckProgressMath {

// Percent of the current volume after done of units clusters were read, 5..95.
inline uint32_t BlocksItemPercent(uint64_t done, uint64_t units)
{
    if (units == 0)
        return 5;
    const uint64_t percent = done * 90 / units + 5;
    return static_cast<uint32_t>(percent > 95 ? 95 : percent);
}

// Overall percent while volume current (from 0) of total is at itemPercent.
inline uint32_t OverallPercent(uint32_t current, uint32_t total, uint32_t itemPercent)
{
    if (total == 0)
        return 5;
    return current * 95 / total + (itemPercent * 95 / 100) / total + 5;
}

// Overall percent once every block of volume current was read.
inline uint32_t OverallAfterBlocks(uint32_t current, uint32_t total)
{
    if (total == 0)
        return 5;
    return current * 95 / total + 90 / total + 5;
}

// Overall percent once volume current is finished.
inline uint32_t OverallAfterVolume(uint32_t current, uint32_t total)
{
    if (total == 0)
        return 5;
    return (current * 95 + 95) / total + 5;
}

} // namespace CheckProgressMath
