#include "KSMemory.h"

#include <cstdlib>

void* ReAllocMemory(void* block, size_t newSize)
{
    // realloc with size 0 may free the block and return null, which the caller would
    // take for a failure and go on using (or free again) the released block.
    return std::realloc(block, newSize == 0 ? 1 : newSize);
}

void* kscalloc(void* /*opaque*/, unsigned int items, unsigned int size)
{
    // Both factors are 32-bit, so the product cannot overflow a 64-bit size_t.
    static_assert(sizeof(size_t) >= 2 * sizeof(unsigned int), "items x size must not overflow");
    return std::malloc(static_cast<size_t>(items) * size);
}

void kscfree(void* /*opaque*/, void* block) { std::free(block); }
