// Cuts one write call into the blocks the writer stores: at most limit - 1
// clusters each, and, when appending with a change mask, the clusters equal to
// the remembered block of the older version indexed by reference instead of
// stored again. Deciding the blocks needs no stream state, so the writer can plan
// a whole call before any block of it is placed.
#pragma once

#include <cstdint>

#include "ChangeMask.h"
#include "KSImageFormat.h"

struct BlockStep {
    bool refer = false;            // index block (stored data of an older version)
    _KS_BLOCK block{};             // the referred block when refer
    uint32_t first = 0;            // first cluster of new data when not refer
    uint32_t clusters = 0;         // its cluster count
    const unsigned char* data = nullptr;

    uint32_t EntryFirst() const { return refer ? block.FirstCluster : first; }
    uint32_t EntryCount() const { return refer ? KSBlockClusters(block) : clusters; }
};

class BlockPlanner {
public:
    // lastBlock: the remembered block of the set being appended to; the planner
    // updates it as the call uses it up.
    BlockPlanner(uint32_t firstCluster, const unsigned char* data, uint32_t clusters, uint64_t changeMask,
                 uint64_t clusterSize, uint32_t limit, _KS_BLOCK& lastBlock);

    // The next block of the call: 0 with *more set, 0 with *more clear when the
    // call is used up, or a failure for a call that contradicts the remembered block.
    unsigned long Next(BlockStep& step, bool* more);
    // After the last block: a remembered block whose data differed is used up.
    void Finish();

private:
    const unsigned char* in_;
    uint32_t first_;
    uint32_t remaining_;
    uint64_t changeMask_;
    uint64_t clusterSize_;
    uint32_t limit_;
    _KS_BLOCK& lastBlock_;
    ChangeMask mask_;
    bool differed_ = false;
};
