// The writer's blocks taken ahead: each planned block of a call, in the order the
// caller gave them, with the job a compression worker is making ready for it. The
// writer places them in that order; this class only keeps them, bounds how many
// are in flight and owns the workers and the jobs' memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "BlobCodec.h"
#include "BlockJob.h"
#include "BlockPlanner.h"
#include "CompressionWorkers.h"

class AesCipher;

struct PendingBlock {
    BlockStep step;              // step.data is not kept: the job holds a copy
    std::unique_ptr<BlockJob> job; // null for a block indexed by reference
    uint64_t bound = 0;          // most bytes the block can take in the file
};

class BlockPipeline {
public:
    BlockPipeline() = default;
    ~BlockPipeline() { Discard(); }
    BlockPipeline(const BlockPipeline&) = delete;
    BlockPipeline& operator=(const BlockPipeline&) = delete;

    // Worker threads for the next blocks: 0 for one per processor, 1 for none
    // (every block is made ready on the caller's thread).
    void SetWorkers(unsigned count);
    unsigned Workers() const { return workers_; }
    bool TakesAhead() const { return workers_ > 1; }

    bool Empty() const { return pending_.empty(); }
    // Bytes the pending blocks can take at most.
    uint64_t PendingBound() const { return pendingBound_; }
    size_t PendingCount() const { return pending_.size(); }
    // Whether blocks more blocks of bytes raw bytes may join the pending ones
    // (always when none is pending).
    bool HasRoomFor(size_t blocks, uint64_t bytes) const;

    // Queues a planned block; data blocks get a copy of their bytes and go to a
    // worker. False when memory or threads are missing: the caller then places
    // the block itself.
    bool Take(const BlockStep& step, uint64_t bytes, uint64_t bound, const BlobCodec::Settings& settings);

    PendingBlock& Front() { return pending_.front(); }
    bool FrontReady();
    void WaitForFront();
    void PopFront();

    // Stops the workers and drops every pending block (cancel, end of run).
    void Discard();

private:
    enum : uint64_t { kMostPendingBytes = 64ull << 20 };

    unsigned workers_ = 1;
    CompressionWorkers threads_;
    std::deque<PendingBlock> pending_;
    std::vector<std::unique_ptr<BlockJob>> spareJobs_;
    uint64_t pendingBound_ = 0;
    uint64_t pendingRaw_ = 0;
};
