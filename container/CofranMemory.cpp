#include "CofranMemory.h"

#include <cstdlib>

void* CofranAllocate(size_t bytes)
{
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void CofranFree(void* block)
{
    std::free(block);
}
