// Following cluster chains through the FAT without trusting it: every chain ends at
// an end-of-chain value, a cluster outside the data area, a repeated cluster or a
// length limit, so a damaged or hostile FAT can never loop or run away.
#pragma once

#include <cstdint>
#include <vector>

#include "FatTable.h"

class FatClusterChain {
public:
    enum class End { EndOfChain, OutOfRange, Repeated, TooLong };

    // Valid data clusters are 2 .. clusterCount + 1.
    static bool InDataArea(uint32_t cluster, uint32_t clusterCount)
    {
        return cluster >= 2 && static_cast<uint64_t>(cluster) <= static_cast<uint64_t>(clusterCount) + 1;
    }

    // Collects the clusters of the chain from start, at most maxClusters of them,
    // and tells how the chain ended.
    static End Collect(const FatTable& fat, uint32_t clusterCount, uint32_t start, uint64_t maxClusters,
                       std::vector<uint32_t>& clusters);

    // A chain is valid when it reaches an end-of-chain value through data clusters
    // only, none of them twice.
    static bool IsValid(const FatTable& fat, uint32_t clusterCount, uint32_t start);
};
