// A set of 64-bit stream offsets in the container's own memory (an open-addressed
// hash table), for the reader's record of runs whose checksum already matched.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "CofranBuffer.h"

class OffsetSet {
public:
    bool Contains(uint64_t offset) const
    {
        if (offset == kEmpty)
            return hasEmptyValue_;
        if (slots_.empty())
            return false;
        for (size_t i = Home(offset, slots_.size());; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i] == offset)
                return true;
            if (slots_[i] == kEmpty)
                return false;
        }
    }

    // False when memory runs out; the set is then as it was.
    [[nodiscard]] bool Insert(uint64_t offset)
    {
        if (offset == kEmpty) {
            hasEmptyValue_ = true;
            return true;
        }
        if (Contains(offset))
            return true;
        if ((count_ + 1) * 2 > slots_.size() && !Rehash(slots_.empty() ? 64 : slots_.size() * 2))
            return false;
        Place(slots_, offset);
        ++count_;
        return true;
    }

    void clear()
    {
        slots_.release();
        count_ = 0;
        hasEmptyValue_ = false;
    }

private:
    static constexpr uint64_t kEmpty = ~uint64_t(0);

    static size_t Home(uint64_t offset, size_t slots)
    {
        return static_cast<size_t>((offset * 0x9E3779B97F4A7C15ull) >> 32) & (slots - 1);
    }
    static void Place(CofranBuffer<uint64_t>& slots, uint64_t offset)
    {
        size_t i = Home(offset, slots.size());
        while (slots[i] != kEmpty)
            i = (i + 1) & (slots.size() - 1);
        slots[i] = offset;
    }
    bool Rehash(size_t size)
    {
        CofranBuffer<uint64_t> grown;
        if (!grown.resize(size))
            return false;
        for (uint64_t& s : grown)
            s = kEmpty;
        for (uint64_t s : slots_)
            if (s != kEmpty)
                Place(grown, s);
        slots_.swap(grown);
        return true;
    }

    CofranBuffer<uint64_t> slots_; // a power of two in size, kEmpty where free
    size_t count_ = 0;
    bool hasEmptyValue_ = false;
};
