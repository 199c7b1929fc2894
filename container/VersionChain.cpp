#include "VersionChain.h"

namespace VersionChain {

size_t First(const _KS_VERSION* versions, size_t position)
{
    size_t i = position;
    while (i > 0 && (versions[i].Flags & KS_FLAG_CHAIN) != 0)
        --i;
    return i;
}

uint64_t FileCount(const _KS_VERSION* versions, size_t position)
{
    uint64_t sum = 0;
    for (size_t i = First(versions, position); i <= position; ++i)
        sum += versions[i].FileCount;
    return sum;
}

} // namespace VersionChain
