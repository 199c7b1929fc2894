// Blocks taken ahead: a call's blocks go to the compression workers while the
// caller reads on, and are placed later in the order they came, by the caller's
// thread, exactly where one thread would have placed them. A call is taken ahead
// only when it surely fits in the file with everything pending; otherwise every
// pending block is placed first and the call is decided as one thread decides it,
// so a file is refused as full at the same call. A failed write of a pending block
// is answered to the next call, which takes nothing; the block stays first in
// line, so that calling again after room was made goes on where it stopped.
#include "CofranWriter.h"

#include "CofranResult.h"

unsigned long CofranWriter::CommitPending(bool all)
{
    const uint64_t clusterSize =
        volumes_.empty() ? 0 : uint64_t(volumes_.back().BytesPerSector) * volumes_.back().SectorsPerCluster;
    while (!pipeline_.Empty()) {
        if (!all && !pipeline_.FrontReady())
            return 0;
        pipeline_.WaitForFront();
        PendingBlock& front = pipeline_.Front();
        bool placed = false;
        const unsigned long rc = PlaceBlock(front.step, clusterSize, front.job.get(), &placed);
        if (placed)
            pipeline_.PopFront();
        if (KSFailed(rc))
            return rc;
    }
    return 0;
}

unsigned long CofranWriter::MakeRoom(size_t blocks, uint64_t bytes)
{
    unsigned long rc = CommitPending(false);
    while (KSSucceeded(rc) && !pipeline_.HasRoomFor(blocks, bytes)) {
        pipeline_.WaitForFront();
        rc = CommitPending(false);
    }
    return rc;
}

bool CofranWriter::FitsAhead(const std::vector<BlockStep>& steps, uint64_t clusterSize) const
{
    const uint64_t room = ClosingRoom();
    if (room >= splitSize_)
        return false;
    const bool encrypts = BlobCodec::Encrypts(whead_.Flags, KS_GROUP_DATA);
    // Stored data is never larger than raw, or raw padded to 16 when encrypted.
    uint64_t bound = buffer_.Position() + pipeline_.PendingBound() + room;
    for (const BlockStep& step : steps)
        if (!step.refer)
            bound += uint64_t(step.clusters) * clusterSize + (encrypts ? 16 : 0);
    // Every index chunk the blocks fill is written on the way and adds an entry
    // to the run index that the room for closing must then cover.
    const uint64_t perChunk = (KS_INDEX_CHUNK_SIZE - KS_INDX_HEAD_SIZE) / KS_BLOCK_SIZE;
    const uint64_t inChunk = chunkUsed_ > KS_INDX_HEAD_SIZE ? (chunkUsed_ - KS_INDX_HEAD_SIZE) / KS_BLOCK_SIZE : 0;
    const uint64_t closes = (inChunk + pipeline_.PendingCount() + steps.size()) / perChunk + 1;
    bound += closes * (KS_INDEX_CHUNK_SIZE + 16 + KS_RIND_ENTRY_SIZE);
    return bound <= splitSize_;
}

unsigned long CofranWriter::TakeAhead(const std::vector<BlockStep>& steps, uint64_t clusterSize)
{
    const bool encrypts = BlobCodec::Encrypts(whead_.Flags, KS_GROUP_DATA);
    const BlobCodec::Settings settings = Settings();
    for (size_t i = 0; i < steps.size(); ++i) {
        const BlockStep& step = steps[i];
        const uint64_t bytes = step.refer ? 0 : uint64_t(step.clusters) * clusterSize;
        if (pipeline_.Take(step, bytes, bytes + (encrypts && !step.refer ? 16 : 0), settings))
            continue;
        // No memory or no thread for it: the rest of the call is placed here.
        unsigned long rc = Drain();
        for (size_t j = i; KSSucceeded(rc) && j < steps.size(); ++j) {
            bool placed = false;
            rc = PlaceBlock(steps[j], clusterSize, nullptr, &placed);
        }
        return rc;
    }
    return 0;
}
