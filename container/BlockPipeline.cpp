#include "BlockPipeline.h"

#include <cstring>
#include <new>

#include "AesCipher.h"
#include "KSWorkerCount.h"

void BlockPipeline::SetWorkers(unsigned count)
{
    count = worker_count::Resolve(count);
    if (count == workers_)
        return;
    Discard();
    workers_ = count;
}

bool BlockPipeline::HasRoomFor(size_t blocks, uint64_t bytes) const
{
    // A few blocks per worker keep every worker busy while the caller reads.
    const size_t mostBlocks = size_t(workers_) * 4;
    return pending_.empty() || (pending_.size() + blocks <= mostBlocks && pendingRaw_ + bytes <= kMostPendingBytes);
}

bool BlockPipeline::Take(const BlockStep& step, uint64_t bytes, uint64_t bound, const BlobCodec::Settings& settings)
{
    PendingBlock block;
    block.step = step;
    block.step.data = nullptr;
    block.bound = bound;
    if (!step.refer) {
        if (!threads_.Running() && !threads_.Start(workers_))
            return false;
        try {
            if (spareJobs_.empty()) {
                block.job.reset(new BlockJob);
            } else {
                block.job = std::move(spareJobs_.back());
                spareJobs_.pop_back();
            }
            block.job->raw.resize(bytes);
            pending_.push_back(std::move(block));
        } catch (const std::bad_alloc&) {
            if (block.job)
                spareJobs_.push_back(std::move(block.job));
            return false;
        }
        BlockJob& job = *pending_.back().job;
        std::memcpy(job.raw.data(), step.data, bytes);
        job.rawSize = static_cast<uint32_t>(bytes);
        job.settings = settings;
        if (settings.cipher != nullptr)
            job.cipher = *settings.cipher;
        job.result = 0;
        job.storedBytes = nullptr;
        job.storedSize = 0;
        threads_.Submit(&job);
    } else {
        try {
            pending_.push_back(std::move(block));
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    pendingBound_ += bound;
    pendingRaw_ += bytes;
    return true;
}

bool BlockPipeline::FrontReady()
{
    const PendingBlock& front = pending_.front();
    return !front.job || threads_.IsDone(front.job.get());
}

void BlockPipeline::WaitForFront()
{
    const PendingBlock& front = pending_.front();
    if (front.job)
        threads_.WaitFor(front.job.get());
}

void BlockPipeline::PopFront()
{
    PendingBlock& front = pending_.front();
    pendingBound_ -= front.bound;
    if (front.job) {
        pendingRaw_ -= front.job->rawSize;
        spareJobs_.push_back(std::move(front.job));
    }
    pending_.pop_front();
}

void BlockPipeline::Discard()
{
    threads_.Stop();
    pending_.clear();
    spareJobs_.clear();
    pendingBound_ = 0;
    pendingRaw_ = 0;
}
