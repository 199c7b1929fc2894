// The bad clusters of a volume: the run list of the $Bad stream of $BadClus
// (record 8), where a sparse run means good clusters and a real run bad ones.
#pragma once

#include <cstdint>
#include <vector>

#include "CNtfsRunList.h"

class CNtfsMFT;
class CNtfsVolume;

class CBadCluster {
public:
    // Takes the list from record 8. A $BadClus with an attribute list, or a
    // resident $Bad stream, is refused.
    bool Init(const CNtfsMFT& mft);
    // Starts a list of a volume without bad clusters: one sparse run over all
    // clusters.
    bool Init(const CNtfsVolume& volume);
    bool CheckValid(const CNtfsVolume& volume) const;

    bool IsBadCluster(int64_t cluster) const;
    // Marks a cluster of a sparse run as bad; false for a cluster beyond the list
    // or one already bad.
    bool AddBadCluster(int64_t cluster);

    const std::vector<tagDataRun>& GetRuns() const { return runs_; }

private:
    std::vector<tagDataRun> runs_;
};
