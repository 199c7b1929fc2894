#include "BlockPlanner.h"

#include <algorithm>
#include <cstring>

#include "CofranResult.h"
#include "crc64.h"

namespace {

constexpr uint64_t kChangeMaskPiece = 0x8000; // a change-mask bit stands for 32 KiB

uint64_t PlannerCrc(const unsigned char* data, uint64_t length)
{
    uint64_t crc = 0;
    crc64(data, static_cast<unsigned long>(length), &crc);
    return crc;
}

} // namespace

BlockPlanner::BlockPlanner(uint32_t firstCluster, const unsigned char* data, uint32_t clusters, uint64_t changeMask,
                           uint64_t clusterSize, uint32_t limit, _KS_BLOCK& lastBlock)
    : in_(data), first_(firstCluster), remaining_(clusters), changeMask_(changeMask), clusterSize_(clusterSize),
      limit_(limit), lastBlock_(lastBlock), mask_(changeMask)
{
}

unsigned long BlockPlanner::Next(BlockStep& step, bool* more)
{
    *more = false;
    if (remaining_ == 0)
        return 0;
    uint32_t n = remaining_ >= limit_ ? limit_ - 1 : remaining_;
    uint32_t consumed = n; // clusters of this call that the new index entry covers
    bool refer = false;
    _KS_BLOCK block{};
    const uint32_t w = lastBlock_.FirstCluster;
    const uint32_t v = KSBlockClusters(lastBlock_);
    if (changeMask_ != 0 && v != 0 && KSBlockStored(lastBlock_) != 0) {
        if (first_ < w) {
            n = consumed = std::min(n, w - first_);
        } else if (first_ == w) {
            if (n < v)
                return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
            n = consumed = v;
            if (!differed_ && PlannerCrc(in_, uint64_t(n) * clusterSize_) == lastBlock_.Crc) {
                refer = true;
                block = lastBlock_;
                std::memset(&lastBlock_, 0, sizeof lastBlock_); // indexed once
            } else {
                differed_ = true;
                uint64_t pieces = 0;
                if (!mask_.NextRun(&pieces))
                    pieces = UINT64_MAX; // the mask is used up: the rest of the block
                uint64_t cut = v;
                if (pieces != UINT64_MAX) {
                    if (clusterSize_ > kChangeMaskPiece) {
                        if (pieces % (clusterSize_ / kChangeMaskPiece) != 0)
                            return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
                        pieces /= clusterSize_ / kChangeMaskPiece;
                    } else {
                        pieces *= kChangeMaskPiece / clusterSize_;
                    }
                    cut = std::min<uint64_t>(std::max<uint64_t>(pieces, 1), v);
                }
                n = consumed = static_cast<uint32_t>(cut);
                lastBlock_.FirstCluster += n;
                lastBlock_.CountSize = (v - n) | (KSBlockStored(lastBlock_) << KS_BLOCK_SIZE_SHIFT);
            }
        } else if (first_ - w < v) {
            return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT); // inside the remembered block
        } else {
            // Past the remembered block: index it again as it is, then go on.
            refer = true;
            block = lastBlock_;
            consumed = 0;
            std::memset(&lastBlock_, 0, sizeof lastBlock_);
        }
    }
    step.refer = refer;
    step.block = block;
    step.first = first_;
    step.clusters = n;
    step.data = in_;
    first_ += consumed;
    in_ += uint64_t(consumed) * clusterSize_;
    remaining_ -= consumed;
    *more = true;
    return 0;
}

void BlockPlanner::Finish()
{
    if (differed_)
        lastBlock_.CountSize &= ~uint32_t(KS_BLOCK_COUNT_MASK);
}
