#include "BlobCodec.h"

#include <cstring>

#include <zlib.h>

#include "AesCipher.h"
#include "CofranMemory.h"
#include "CofranResult.h"

namespace {

uint32_t RoundUp16(uint32_t n) { return (n + 15u) & ~15u; }

// zlib's memory is the container's own, in both builds.
void* ZlibAllocate(void*, unsigned items, unsigned size)
{
    if (size != 0 && items > SIZE_MAX / size)
        return nullptr;
    return CofranAllocate(size_t(items) * size);
}

void ZlibFree(void*, void* block)
{
    CofranFree(block);
}

// A stream with the container's memory hooks, or null.
z_stream* NewStream()
{
    z_stream* z = CofranNew<z_stream>();
    if (z != nullptr) {
        std::memset(z, 0, sizeof *z);
        z->zalloc = ZlibAllocate;
        z->zfree = ZlibFree;
    }
    return z;
}

} // namespace

bool BlobCodec::EnsureWork(uint32_t bytes)
{
    if (work_.capacity() >= bytes)
        return work_.resize_for_overwrite(bytes);
    // The old bytes are not wanted: give them back before taking the larger
    // buffer, so the two are never held at once.
    work_.release();
    return work_.resize_for_overwrite(bytes);
}

BlobCodec::~BlobCodec()
{
    Release();
}

void BlobCodec::Release()
{
    work_.release();
    if (deflater_ != nullptr) {
        deflateEnd(deflater_);
        CofranDelete(deflater_);
        deflater_ = nullptr;
        deflaterLevel_ = -1;
    }
    if (inflater_ != nullptr) {
        inflateEnd(inflater_);
        CofranDelete(inflater_);
        inflater_ = nullptr;
    }
}

z_stream_s* BlobCodec::Deflater(int level)
{
    if (deflater_ != nullptr && deflaterLevel_ == level)
        return deflateReset(deflater_) == Z_OK ? deflater_ : nullptr;
    if (deflater_ != nullptr) {
        deflateEnd(deflater_);
        CofranDelete(deflater_);
        deflater_ = nullptr;
    }
    z_stream* z = NewStream();
    if (z == nullptr)
        return nullptr;
    if (deflateInit(z, level) != Z_OK) {
        CofranDelete(z);
        return nullptr;
    }
    deflater_ = z;
    deflaterLevel_ = level;
    return z;
}

z_stream_s* BlobCodec::Inflater()
{
    if (inflater_ != nullptr)
        return inflateReset(inflater_) == Z_OK ? inflater_ : nullptr;
    z_stream* z = NewStream();
    if (z == nullptr)
        return nullptr;
    if (inflateInit(z) != Z_OK) {
        CofranDelete(z);
        return nullptr;
    }
    inflater_ = z;
    return z;
}

uint32_t BlobCodec::Deflate(uint8_t level, const unsigned char* raw, uint32_t rawSize)
{
    z_stream* z = Deflater(level > 9 ? 9 : level);
    if (z == nullptr)
        return 0;
    z->next_in = const_cast<unsigned char*>(raw);
    z->avail_in = rawSize;
    z->next_out = work_.data();
    z->avail_out = rawSize; // an output that does not fit in raw size is worthless
    const int rc = deflate(z, Z_FINISH);
    const uint32_t produced = static_cast<uint32_t>(z->total_out);
    if (rc != Z_STREAM_END || produced >= rawSize)
        return 0;
    return produced;
}

unsigned long BlobCodec::Inflate(unsigned char* stored, uint32_t storedSize, unsigned char* out, uint32_t rawSize)
{
    z_stream* z = Inflater();
    if (z == nullptr)
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    z->next_in = stored;
    z->avail_in = storedSize;
    z->next_out = out;
    z->avail_out = rawSize;
    const int rc = inflate(z, Z_FINISH);
    if (rc == Z_STREAM_END && z->total_out == rawSize)
        return 0;
    if (rc != Z_DATA_ERROR && z->avail_out == 0)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    return COFRAN_FAIL(KS_KIND_INFLATE_FAILED);
}

unsigned long BlobCodec::Encode(const Settings& s, KSBlobGroup group, const unsigned char* raw, uint32_t rawSize,
                                const unsigned char** stored, uint32_t* storedSize)
{
    const bool compress = Compresses(s.flags, group);
    const bool encrypt = Encrypts(s.flags, group);
    *stored = raw;
    *storedSize = rawSize;
    if ((!compress && !encrypt) || rawSize == 0)
        return 0;
    if (encrypt && s.cipher == nullptr)
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    // Room for the compressed copy and for the raw bytes padded to 16.
    if (!EnsureWork(rawSize + 16))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);

    uint32_t size = compress ? Deflate(s.level, raw, rawSize) : 0;
    if (encrypt) {
        if (size == 0 || RoundUp16(size) >= rawSize) {
            std::memcpy(work_.data(), raw, rawSize);
            size = rawSize;
        }
        const uint32_t padded = RoundUp16(size);
        std::memset(work_.data() + size, 0, padded - size);
        const unsigned long rc = s.cipher->encrypt(work_.data(), work_.data(), padded, s.cipherMode);
        if (KSFailed(rc))
            return rc;
        size = padded;
    } else if (size == 0) {
        return 0; // incompressible: the raw bytes are stored
    }
    *stored = work_.data();
    *storedSize = size;
    return 0;
}

unsigned long BlobCodec::Decode(const Settings& s, KSBlobGroup group, unsigned char* stored, uint32_t storedSize,
                                unsigned char* out, uint32_t rawSize)
{
    const bool compress = Compresses(s.flags, group);
    const bool encrypt = Encrypts(s.flags, group);
    if (!compress && !encrypt) {
        if (storedSize != rawSize)
            return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
        std::memmove(out, stored, rawSize);
        return 0;
    }
    if (encrypt) {
        if (s.cipher == nullptr)
            return COFRAN_FAIL(KS_KIND_NOT_OPEN);
        if (storedSize % 16 != 0 || storedSize == 0)
            return COFRAN_FAIL(KS_KIND_BAD_DATA);
        const unsigned long rc = s.cipher->decrypt(stored, stored, storedSize, s.cipherMode);
        if (KSFailed(rc))
            return rc;
    }
    if (compress && storedSize < rawSize)
        return Inflate(stored, storedSize, out, rawSize);
    // Stored raw (possibly padded when encrypted).
    if (storedSize < rawSize)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    std::memmove(out, stored, rawSize);
    return 0;
}
