#include "IndexChunkCache.h"

#include <new>

bool IndexChunkCache::Allocate(size_t slots, size_t chunkBytes)
{
    slots_.clear();
    try {
        slots_.reserve(slots);
        for (size_t i = 0; i < slots; ++i) {
            Slot s;
            s.chunk.resize(chunkBytes);
            slots_.push_back(std::move(s));
        }
    } catch (const std::bad_alloc&) {
        // As many as we got.
    }
    return !slots_.empty();
}

IndexChunkCache::Slot* IndexChunkCache::Find(uint32_t runPosition)
{
    for (Slot& s : slots_)
        if (s.runPosition == runPosition && runPosition != 0)
            return &s;
    return nullptr;
}

IndexChunkCache::Slot& IndexChunkCache::Victim()
{
    Slot* oldest = &slots_.front();
    for (Slot& s : slots_) {
        if (s.runPosition == 0)
            return s;
        if (s.age < oldest->age)
            oldest = &s;
    }
    return *oldest;
}
