#include "BlobReader.h"

#include "CofranResult.h"

namespace {
// No blob of a well-formed set comes near this; a damaged size must not make us
// allocate gigabytes.
constexpr uint32_t kLargestBlob = 256u << 20;
}

unsigned long ReadBlobAt(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings, KSBlobGroup group,
                         uint64_t pos, uint32_t rawSize, uint32_t storedSize, CofranBuffer<unsigned char>& out)
{
    out.clear();
    if (rawSize == 0)
        return 0;
    if (storedSize == 0 || storedSize > kLargestBlob || rawSize > kLargestBlob)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    // Sizes from a damaged tail must not make us allocate what the file cannot hold:
    // the stored bytes lie in the file, and zlib expands by at most about 1:1032.
    uint64_t fileSize = 0;
    if (!file.Size(&fileSize) || pos > fileSize || storedSize > fileSize - pos ||
        uint64_t(rawSize) > uint64_t(storedSize) * 1040 + 1024)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    CofranBuffer<unsigned char> stored;
    if (!stored.resize(storedSize) || !out.resize(rawSize))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    uint32_t got = 0;
    if (!file.ReadAt(pos, stored.data(), storedSize, &got))
        return COFRAN_FAIL(KS_KIND_READ_FAILED);
    if (got != storedSize)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    const unsigned long rc = codec.Decode(settings, group, stored.data(), storedSize, out.data(), rawSize);
    if (KSFailed(rc))
        out.clear();
    return rc;
}
