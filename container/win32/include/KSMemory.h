// Memory helpers of the container.
#pragma once

#include <cstddef>

// A block of newSize bytes holding the old contents (the old block is released),
// or null when memory is exhausted, and then the old block stays valid. A newSize
// of 0 still returns a (one-byte) block, so null always means failure.
void* ReAllocMemory(void* block, size_t newSize);

// The allocation hooks handed to zlib (its alloc_func and free_func).
void* kscalloc(void* opaque, unsigned int items, unsigned int size);
void kscfree(void* opaque, void* block);
