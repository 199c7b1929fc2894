// MD5 message digest (RFC 1321). The image head keeps the MD5 digest of the password,
// so that a wrong password is recognised before any data is read.
//
//   void                 Init();
//   unsigned long        Update(const unsigned char* input, unsigned long length);
//   void                 Finalize();
//   const unsigned char* Digest() const;   // the 16 digest bytes after Finalize
//
// Update returns 0, or a KS result code with module number 6 and kind 0x009 when
// input is null and length is not 0. A new object starts initialised; after Finalize
// the working state is cleared and Init starts a new digest.
//
// No dependencies beyond the C++ core language, so it builds into the kernel driver too.
#pragma once

#include <cstdint>

class md5 {
public:
    enum : unsigned long { DigestSize = 16 };

    md5();

    void Init();
    unsigned long Update(const unsigned char* input, unsigned long length);
    void Finalize();
    const unsigned char* Digest() const { return digest_; }

private:
    void transform(const unsigned char* block);

    uint32_t state_[4];
    uint64_t bitCount_;
    unsigned char buffer_[64];
    unsigned char digest_[DigestSize];
};
