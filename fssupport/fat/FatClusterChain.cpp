#include "FatClusterChain.h"

#include <unordered_set>

FatClusterChain::End FatClusterChain::Collect(const FatTable& fat, uint32_t clusterCount, uint32_t start,
                                              uint64_t maxClusters, std::vector<uint32_t>& clusters)
{
    clusters.clear();
    std::unordered_set<uint32_t> seen;
    uint32_t cluster = start;
    for (;;) {
        if (fat.IsEndOfChain(cluster))
            return clusters.empty() ? End::OutOfRange : End::EndOfChain;
        if (!InDataArea(cluster, clusterCount))
            return End::OutOfRange;
        if (!seen.insert(cluster).second)
            return End::Repeated;
        if (clusters.size() >= maxClusters)
            return End::TooLong;
        clusters.push_back(cluster);
        cluster = fat.NextCluster(cluster);
    }
}

bool FatClusterChain::IsValid(const FatTable& fat, uint32_t clusterCount, uint32_t start)
{
    if (!InDataArea(start, clusterCount))
        return false;
    std::vector<bool> seen(static_cast<size_t>(clusterCount) + 2, false);
    uint32_t cluster = start;
    while (!fat.IsEndOfChain(cluster)) {
        if (!InDataArea(cluster, clusterCount) || seen[cluster])
            return false;
        seen[cluster] = true;
        cluster = fat.NextCluster(cluster);
    }
    return true;
}
