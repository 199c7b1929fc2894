// The reader's cache of index chunks: a few slots, each holding one chunk and the
// run-index position it came from, replaced least recently used first.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "CofranBuffer.h"

class IndexChunkCache {
public:
    struct Slot {
        CofranBuffer<unsigned char> chunk;
        uint32_t runPosition = 0; // 0: empty
        uint64_t age = 0;
    };

    // Keeps as many of the wanted slots as memory allows; false when not even one.
    bool Allocate(size_t slots, size_t chunkBytes);
    void Clear() { slots_.release(); }
    bool Empty() const { return slots_.empty(); }

    // The slot holding the chunk of the run-index entry at runPosition, or null.
    Slot* Find(uint32_t runPosition);
    // A free slot, or else the one used longest ago.
    Slot& Victim();

private:
    CofranBuffer<Slot> slots_;
};
