// Little-endian codecs for byte-exact records. Every on-disk or cross-device record
// is read and written through these, never by casting a pointer onto a buffer.
#pragma once

#include <cstdint>
#include <cstring>

inline uint16_t LoadLE16(const void* p)
{
    const unsigned char* b = static_cast<const unsigned char*>(p);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
inline uint32_t LoadLE32(const void* p)
{
    const unsigned char* b = static_cast<const unsigned char*>(p);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}
inline uint64_t LoadLE64(const void* p)
{
    const unsigned char* b = static_cast<const unsigned char*>(p);
    return static_cast<uint64_t>(LoadLE32(b)) | (static_cast<uint64_t>(LoadLE32(b + 4)) << 32);
}
inline void StoreLE16(void* p, uint16_t v)
{
    unsigned char* b = static_cast<unsigned char*>(p);
    b[0] = static_cast<unsigned char>(v);
    b[1] = static_cast<unsigned char>(v >> 8);
}
inline void StoreLE32(void* p, uint32_t v)
{
    unsigned char* b = static_cast<unsigned char*>(p);
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void StoreLE64(void* p, uint64_t v)
{
    unsigned char* b = static_cast<unsigned char*>(p);
    StoreLE32(b, static_cast<uint32_t>(v));
    StoreLE32(b + 4, static_cast<uint32_t>(v >> 32));
}

// Sequential reader and writer over a byte buffer, for records with many fields.
class LEReader {
public:
    explicit LEReader(const void* data) : p_(static_cast<const unsigned char*>(data)) {}
    uint8_t U8() { return *p_++; }
    uint16_t U16() { uint16_t v = LoadLE16(p_); p_ += 2; return v; }
    uint32_t U32() { uint32_t v = LoadLE32(p_); p_ += 4; return v; }
    uint64_t U64() { uint64_t v = LoadLE64(p_); p_ += 8; return v; }
    void Bytes(void* out, size_t n) { std::memcpy(out, p_, n); p_ += n; }
    void Utf16(char16_t* out, size_t units) { for (size_t i = 0; i < units; ++i) out[i] = static_cast<char16_t>(U16()); }
    void Skip(size_t n) { p_ += n; }
private:
    const unsigned char* p_;
};

class LEWriter {
public:
    explicit LEWriter(void* data) : p_(static_cast<unsigned char*>(data)) {}
    void U8(uint8_t v) { *p_++ = v; }
    void U16(uint16_t v) { StoreLE16(p_, v); p_ += 2; }
    void U32(uint32_t v) { StoreLE32(p_, v); p_ += 4; }
    void U64(uint64_t v) { StoreLE64(p_, v); p_ += 8; }
    void Bytes(const void* in, size_t n) { std::memcpy(p_, in, n); p_ += n; }
    void Utf16(const char16_t* in, size_t units) { for (size_t i = 0; i < units; ++i) U16(static_cast<uint16_t>(in[i])); }
    void Zero(size_t n) { std::memset(p_, 0, n); p_ += n; }
private:
    unsigned char* p_;
};
