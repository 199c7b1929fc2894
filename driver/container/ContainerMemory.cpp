// The container's memory in the driver: the non-paged pool under the container's
// tag "bimg", zlib's included (the container hands zlib these same calls).
#include "CofranMemory.h"
#include "KernelServices.h"

void* CofranAllocate(size_t bytes)
{
    return zedisk::ZdAllocateImage(bytes == 0 ? 1 : bytes);
}

void CofranFree(void* block)
{
    if (block != nullptr)
        zedisk::ZdFreeImage(block);
}
