// The volume reader: block walks, cluster and sector reads, checks and bitmaps.
#include "CCofran.h"
#include "CofranResult.h"

unsigned long CCofran::OpenVolume(_KS_VOLUME* volume)
{
    if (volume == nullptr || volume->Magic != KS_VOLUME_MAGIC)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    return COFRAN_FAIL(KS_KIND_NOT_OPEN);
}

unsigned long CCofran::GetNextBlockInfo(_KS_BLOCK* block, unsigned long reserved)
{
    (void)reserved;
    if (block == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    return COFRAN_FAIL(KS_KIND_NOT_OPEN);
}

unsigned long CCofran::ReadBlock(const _KS_BLOCK* block, void* buffer)
{
    if (block == nullptr || buffer == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    return COFRAN_FAIL(KS_KIND_NOT_OPEN);
}

unsigned long CCofran::CheckVolume()
{
    return COFRAN_FAIL(KS_KIND_NOT_OPEN);
}

unsigned long CCofran::CheckNextBlock(_KS_BLOCK* block)
{
    if (block == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    return COFRAN_FAIL(KS_KIND_NOT_OPEN);
}

unsigned long CCofran::ReadData(unsigned long firstCluster, void* buffer, unsigned long clusters,
                                unsigned long* clustersRead)
{
    (void)firstCluster;
    (void)clusters;
    if (buffer == nullptr || clustersRead == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    *clustersRead = 0;
    return COFRAN_FAIL(KS_KIND_NOT_OPEN);
}

unsigned long CCofran::ReadSector(long long firstSector, void* buffer, unsigned long count, unsigned long* sectorsRead,
                                  unsigned long reserved)
{
    (void)firstSector;
    (void)count;
    (void)reserved;
    if (buffer == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (sectorsRead != nullptr)
        *sectorsRead = 0;
    return COFRAN_FAIL(KS_KIND_NOT_OPEN);
}

unsigned long CCofran::GetVolumeBitmap(const _KS_VOLUME* volume, void* bitmap, unsigned long bytes)
{
    (void)bytes;
    if (volume == nullptr || bitmap == nullptr || volume->Magic != KS_VOLUME_MAGIC)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    return COFRAN_FAIL(KS_KIND_NOT_OPEN);
}

unsigned long CCofran::CloseVolume()
{
    return 0;
}
