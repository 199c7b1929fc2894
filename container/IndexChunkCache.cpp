#include "IndexChunkCache.h"

bool IndexChunkCache::Allocate(size_t slots, size_t chunkBytes)
{
    slots_.release();
    if (!slots_.reserve(slots))
        return false;
    // As many as memory allows: the slots are reserved, so adding one never fails.
    for (size_t i = 0; i < slots; ++i) {
        Slot s;
        if (!s.chunk.resize(chunkBytes) || !slots_.push_back(static_cast<Slot&&>(s)))
            break;
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
