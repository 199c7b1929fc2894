// Decides whether cluster chains are valid, remembering the verdict of every cluster
// it has passed, so that any number of chains through the same clusters costs one
// pass over those clusters in all. The page and hibernation files of a hostile root
// directory may be named tens of thousands of times over one chain; each check after
// the first then stops at its first cluster.
//
// A verdict stays true as long as the FAT changes only by freeing whole valid chains
// through Free: freeing never makes an invalid chain valid, and every cluster freed
// is remembered as invalid, since a chain that now runs into it ends on a free entry.
#pragma once

#include <cstdint>
#include <vector>

#include "FatTable.h"
#include "KSResult.h"

class FatChainVerdicts {
public:
    FatChainVerdicts(FatTable& fat, uint32_t clusterCount) : fat_(fat), clusterCount_(clusterCount) {}

    // True when the chain from start reaches an end-of-chain value through data
    // clusters only, none of them twice.
    bool IsValid(uint32_t start);
    // Frees the valid chain from start in the FAT, calling freed(cluster) for each
    // cluster; stops at the first entry that cannot be written and returns its code.
    template <typename Freed>
    unsigned long Free(uint32_t start, Freed freed);

    // FAT entries followed so far; the work done is linear when this stays within the
    // number of clusters and chains asked about.
    uint64_t StepsTaken() const { return steps_; }

private:
    enum Verdict : uint8_t { kUnknown = 0, kOnPath = 1, kValid = 2, kInvalid = 3 };

    Verdict Get(uint32_t cluster) const;
    bool Put(uint32_t cluster, Verdict verdict);

    FatTable& fat_;
    uint32_t clusterCount_;
    // Two bits per data cluster, made on the first check.
    std::vector<uint8_t> verdicts_;
    uint64_t steps_ = 0;
};

template <typename Freed>
unsigned long FatChainVerdicts::Free(uint32_t start, Freed freed)
{
    uint32_t cluster = start;
    while (!fat_.IsEndOfChain(cluster)) {
        const uint32_t next = fat_.NextCluster(cluster);
        const unsigned long rc = fat_.SetEntry(cluster, 0);
        if (KSFailed(rc))
            return rc;
        Put(cluster, kInvalid);
        freed(cluster);
        cluster = next;
    }
    return 0;
}
