// A bit array over clusters, least significant bit first, that refuses indexes
// beyond its size instead of touching memory outside it.
#pragma once

#include <cstdint>
#include <vector>

class ClusterBitmap {
public:
    // Sizes the array to bitCount zero bits; false when memory is short.
    bool Create(uint64_t bitCount);
    void Clear();

    bool Empty() const { return bitCount_ == 0; }
    uint64_t BitCount() const { return bitCount_; }
    uint64_t ByteCount() const { return bytes_.size(); }
    const unsigned char* Data() const { return bytes_.data(); }

    bool Set(uint64_t bit);
    bool Reset(uint64_t bit);
    bool Test(uint64_t bit) const;

private:
    std::vector<unsigned char> bytes_;
    uint64_t bitCount_ = 0;
};
