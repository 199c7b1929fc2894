#include "KSMemory.h"

#include <cstdint>
#include <cstdlib>

void* ReAllocMemory(void* block, size_t newSize)
{
    // realloc with size 0 may free the block and return null, which the caller would
    // take for a failure and go on using (or free again) the released block.
    return std::realloc(block, newSize == 0 ? 1 : newSize);
}

void* kscalloc(void* /*opaque*/, unsigned int items, unsigned int size)
{
    // On a 32-bit system the product can pass size_t: a wrapped size would be a
    // block smaller than zlib writes into.
    if (size != 0 && items > SIZE_MAX / size)
        return nullptr;
    return std::malloc(static_cast<size_t>(items) * size);
}

void kscfree(void* /*opaque*/, void* block) { std::free(block); }
