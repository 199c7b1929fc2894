// The blocks of a volume that still have to be copied: one bit per block of
// blockSize sectors, from the first sector it covers up to its end sector. The
// bitmap step and the snapshot client's preserved-block thread both work on it, so
// every operation holds the map's mutex.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

class CBlockMap {
public:
    // Takes ceil(bits / 8) bytes of bitmap, bits = (end - first) / blockSize. Kind 0x009
    // for a zero block size, no bitmap or an end before the first sector.
    unsigned long Init(uint64_t first, uint64_t end, uint32_t blockSize, uint64_t bitmapBytes, const void* bitmap);
    // From position on, the next run of pending sectors: position moves to the run's
    // first sector when that lies ahead, count (in: at most this many, out: the run's
    // length) is clipped to the end. False when nothing is pending from there.
    bool FindNextRun(uint64_t& position, uint32_t& count) const;
    // Marks the blocks that lie wholly inside the range as copied.
    void Clear(uint64_t position, uint32_t count);
    // Pending sectors over the blocks the range touches, at most count; 0 at or past the end.
    uint32_t CountPending(uint64_t position, uint32_t count) const;
    bool Ready() const;

    uint64_t First() const { return first_; }
    uint64_t End() const { return end_; }
    uint32_t BlockSize() const { return blockSize_; }

private:
    bool Bit(uint64_t index) const { return (bits_[index >> 3] >> (index & 7)) & 1; }

    mutable std::mutex lock_;
    std::vector<uint8_t> bits_;
    uint64_t first_ = 0;
    uint64_t end_ = 0;
    uint32_t blockSize_ = 0;
    uint64_t bitCount_ = 0;
};
