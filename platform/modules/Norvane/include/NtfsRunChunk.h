// How many bytes of a wanted range one run still maps from a position inside it.
// Run lengths come from the disk: clusters left x cluster bytes may not fit in 64
// bits (a 2^44-cluster run of 1 MiB clusters is exactly 2^64, which wraps to 0), so
// the product is checked and the wanted length bounds the answer.
#pragma once

#include <algorithm>
#include <cstdint>

// clustersLeft clusters of clusterBytes each remain in the run from the start of
// the cluster that holds the position, inCluster bytes into it; 0 when the run
// maps nothing there (no clusters left, or the position lies past them).
inline uint64_t NtfsRunChunk(int64_t clustersLeft, uint64_t clusterBytes, uint64_t inCluster, uint64_t wanted)
{
    if (clustersLeft <= 0 || clusterBytes == 0)
        return 0;
    uint64_t runBytes = 0;
    if (__builtin_mul_overflow(static_cast<uint64_t>(clustersLeft), clusterBytes, &runBytes))
        return wanted;
    if (runBytes <= inCluster)
        return 0;
    return std::min(runBytes - inCluster, wanted);
}
