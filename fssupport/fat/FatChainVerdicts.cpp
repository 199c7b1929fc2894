#include "FatChainVerdicts.h"

#include <new>

#include "FatClusterChain.h"

FatChainVerdicts::Verdict FatChainVerdicts::Get(uint32_t cluster) const
{
    const uint64_t index = static_cast<uint64_t>(cluster) - 2;
    if (verdicts_.empty())
        return kUnknown;
    return static_cast<Verdict>((verdicts_[index / 4] >> (index % 4 * 2)) & 3u);
}

bool FatChainVerdicts::Put(uint32_t cluster, Verdict verdict)
{
    if (verdicts_.empty()) {
        try {
            verdicts_.assign((static_cast<uint64_t>(clusterCount_) + 3) / 4, 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    const uint64_t index = static_cast<uint64_t>(cluster) - 2;
    const unsigned shift = static_cast<unsigned>(index % 4 * 2);
    verdicts_[index / 4] = static_cast<uint8_t>((verdicts_[index / 4] & ~(3u << shift)) | (verdict << shift));
    return true;
}

bool FatChainVerdicts::IsValid(uint32_t start)
{
    if (!FatClusterChain::InDataArea(start, clusterCount_))
        return false;
    // Follow the chain until its end, a cluster outside the data area, a cluster of
    // this same path (a loop) or a cluster already judged.
    Verdict verdict = kInvalid;
    uint32_t cluster = start;
    for (;;) {
        if (fat_.IsEndOfChain(cluster)) {
            verdict = kValid;
            break;
        }
        if (!FatClusterChain::InDataArea(cluster, clusterCount_))
            break;
        const Verdict known = Get(cluster);
        if (known == kValid || known == kInvalid) {
            verdict = known;
            break;
        }
        if (known == kOnPath)
            break;
        // Without memory for the verdicts, the chain is taken as invalid: its file
        // keeps its clusters, which loses nothing.
        if (!Put(cluster, kOnPath))
            return false;
        ++steps_;
        cluster = fat_.NextCluster(cluster);
    }
    // Every cluster of the path shares the verdict of where the path ended.
    for (cluster = start; FatClusterChain::InDataArea(cluster, clusterCount_) && Get(cluster) == kOnPath;
         cluster = fat_.NextCluster(cluster))
        Put(cluster, verdict);
    return verdict == kValid;
}
