// The storage rule of every blob of an image file: compression with one zlib
// stream, then AES over the zero-padded result, each only when the blob's group
// has its bit in the head flags and only when it makes the blob smaller.
// A codec keeps one deflate and one inflate stream and resets them per blob
// instead of setting up a new stream per block; a reset stream makes the same
// bytes as a new one.
#pragma once

#include <cstdint>

#include "CofranBuffer.h"
#include "KSImageFormat.h"

class AesCipher;
struct z_stream_s;

class BlobCodec {
public:
    BlobCodec() = default;
    ~BlobCodec();
    BlobCodec(const BlobCodec&) = delete;
    BlobCodec& operator=(const BlobCodec&) = delete;

    struct Settings {
        uint32_t flags = 0;     // head flags (compress and encrypt bits)
        uint8_t level = 0;      // zlib level from head +36
        uint8_t cipherMode = 0; // head +38
        AesCipher* cipher = nullptr;
    };

    // Turns raw bytes into stored bytes. On success *stored points into the codec's
    // work buffer (or at raw when nothing was done) and stays valid until the next
    // call.
    unsigned long Encode(const Settings& settings, KSBlobGroup group, const unsigned char* raw, uint32_t rawSize,
                         const unsigned char** stored, uint32_t* storedSize);

    // Turns stored bytes back into rawSize raw bytes at out. stored is modified in
    // place when the blob is encrypted.
    unsigned long Decode(const Settings& settings, KSBlobGroup group, unsigned char* stored, uint32_t storedSize,
                         unsigned char* out, uint32_t rawSize);

    static bool Compresses(uint32_t flags, KSBlobGroup group) { return (flags & (1u << group)) != 0; }
    static bool Encrypts(uint32_t flags, KSBlobGroup group) { return (flags & (0x10u << group)) != 0; }

    // Frees the work buffer and the zlib streams.
    void Release();
    // Bytes the work buffer holds now.
    size_t WorkBytes() const { return work_.capacity(); }

private:
    // Makes the work buffer hold at least bytes, growing it to the largest block
    // coded so far; its contents are not kept nor zeroed.
    bool EnsureWork(uint32_t bytes);
    // Deflates into work_; returns the compressed size, or 0 when it does not shrink.
    uint32_t Deflate(uint8_t level, const unsigned char* raw, uint32_t rawSize);
    // Inflates exactly rawSize bytes; 0 or a result code.
    unsigned long Inflate(unsigned char* stored, uint32_t storedSize, unsigned char* out, uint32_t rawSize);
    // The streams, made on first use and reset for every later blob.
    z_stream_s* Deflater(int level);
    z_stream_s* Inflater();

    CofranBuffer<unsigned char> work_;
    z_stream_s* deflater_ = nullptr;
    int deflaterLevel_ = -1;
    z_stream_s* inflater_ = nullptr;
};
