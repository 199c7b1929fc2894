#include "CBlockMap.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "KSResult.h"

unsigned long CBlockMap::Init(uint64_t first, uint64_t end, uint32_t blockSize, uint64_t bitmapBytes,
                              const void* bitmap)
{
    std::lock_guard<std::mutex> hold(lock_);
    bits_.clear();
    bitCount_ = 0;
    blockSize_ = 0;
    if (blockSize == 0 || bitmap == nullptr || end < first)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    const uint64_t bits = (end - first) / blockSize;
    try {
        bits_.assign(static_cast<size_t>((bits + 7) / 8), 0);
    } catch (const std::bad_alloc&) {
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY);
    }
    std::memcpy(bits_.data(), bitmap, static_cast<size_t>(std::min<uint64_t>(bitmapBytes, bits_.size())));
    // Bits past the last block must never read as pending.
    if (bits % 8 != 0)
        bits_.back() &= static_cast<uint8_t>((1u << (bits % 8)) - 1);
    first_ = first;
    end_ = end;
    blockSize_ = blockSize;
    bitCount_ = bits;
    return 0;
}

bool CBlockMap::Ready() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return blockSize_ != 0;
}

bool CBlockMap::FindNextRun(uint64_t& position, uint32_t& count) const
{
    std::lock_guard<std::mutex> hold(lock_);
    const uint64_t coveredEnd = first_ + bitCount_ * blockSize_;
    if (blockSize_ == 0 || position >= coveredEnd || count == 0) {
        count = 0;
        return false;
    }
    if (position < first_)
        position = first_;
    uint64_t block = (position - first_) / blockSize_;
    uint64_t index = block;
    // Whole zero bytes are skipped at once: most of a volume is often free.
    while (index < bitCount_ && !Bit(index)) {
        if ((index & 7) == 0 && bits_[index >> 3] == 0)
            index += 8;
        else
            ++index;
    }
    if (index >= bitCount_) {
        count = 0;
        return false;
    }
    if (index > block) {
        position = first_ + index * blockSize_;
        block = index;
    }
    const uint64_t wanted = std::min<uint64_t>(count, coveredEnd - position);
    const uint64_t offset = position - (first_ + block * blockSize_);
    const uint64_t maxBlocks = (offset + wanted + blockSize_ - 1) / blockSize_;
    uint64_t run = 0;
    while (run < maxBlocks && block + run < bitCount_ && Bit(block + run))
        ++run;
    count = static_cast<uint32_t>(std::min<uint64_t>(run * blockSize_ - offset, wanted));
    return count != 0;
}

void CBlockMap::Clear(uint64_t position, uint32_t count)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (blockSize_ == 0 || position + count <= first_)
        return;
    const uint64_t start = std::max(position, first_) - first_;
    const uint64_t stop = position + count - first_;
    for (uint64_t block = (start + blockSize_ - 1) / blockSize_;
         block < bitCount_ && (block + 1) * blockSize_ <= stop; ++block)
        bits_[block >> 3] &= static_cast<uint8_t>(~(1u << (block & 7)));
}

uint32_t CBlockMap::CountPending(uint64_t position, uint32_t count) const
{
    std::lock_guard<std::mutex> hold(lock_);
    if (blockSize_ == 0 || position >= end_ || count == 0)
        return 0;
    const uint64_t start = std::max(position, first_) - first_;
    const uint64_t stop = position + count - first_;
    uint64_t pending = 0;
    for (uint64_t block = start / blockSize_; block < bitCount_ && block * blockSize_ < stop; ++block)
        if (Bit(block))
            pending += blockSize_;
    return static_cast<uint32_t>(std::min<uint64_t>(pending, count));
}
