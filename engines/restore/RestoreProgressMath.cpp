#include "RestoreProgressMath.h"

#include <algorithm>

namespace {
constexpr uint32_t kMarkedBits = 0xF0000000u;
constexpr uint32_t kCopierOwnCode = 0x300C;
constexpr uint32_t kDiscReadFailure = 0x00525106u; // module 5, kind 0x106
}

uint32_t RewriteRestoreResult(uint32_t result, bool clone, bool discVersion)
{
    if (!clone && result != 0 && (result & kMarkedBits) != 0 && (result & 0xFFFFu) != kCopierOwnCode)
        result |= 0xFF000000u;
    if (discVersion && (result == 3 || result == 421))
        result = kDiscReadFailure;
    return result;
}

uint32_t RestoreOverallPercent(uint32_t index, uint32_t count, uint32_t current)
{
    if (count == 0)
        return 0;
    const uint32_t base = index * 100u / count;
    const float share = 1.0f / static_cast<float>(count);
    return static_cast<uint32_t>(static_cast<double>(base) + static_cast<double>(current) * share);
}

SectorLevelPercents RestoreSectorLevelPercents(uint32_t index, uint32_t count, uint32_t current)
{
    SectorLevelPercents out{std::min<uint32_t>(current, 100), 0};
    out.overall = RestoreOverallPercent(index, count, out.current);
    if (count != 0 && index + 1 == count && out.current == 100)
        out.overall = 97;
    return out;
}

uint32_t RestoreSectorPercent(uint64_t sectorsDone, uint64_t sectorsTotal)
{
    double share = sectorsTotal == 0 ? 1.0 : static_cast<double>(sectorsDone) / static_cast<double>(sectorsTotal);
    share = std::min(share, 1.0);
    return 2u + static_cast<uint32_t>(95.0 * share);
}
