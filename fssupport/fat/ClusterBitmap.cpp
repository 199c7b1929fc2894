#include "ClusterBitmap.h"

#include <new>

bool ClusterBitmap::Create(uint64_t bitCount)
{
    Clear();
    try {
        bytes_.assign((bitCount + 7) / 8, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    bitCount_ = bitCount;
    return true;
}

void ClusterBitmap::Clear()
{
    bytes_.clear();
    bytes_.shrink_to_fit();
    bitCount_ = 0;
}

bool ClusterBitmap::Set(uint64_t bit)
{
    if (bit >= bitCount_)
        return false;
    bytes_[bit / 8] = static_cast<unsigned char>(bytes_[bit / 8] | (1u << (bit % 8)));
    return true;
}

bool ClusterBitmap::Reset(uint64_t bit)
{
    if (bit >= bitCount_)
        return false;
    bytes_[bit / 8] = static_cast<unsigned char>(bytes_[bit / 8] & ~(1u << (bit % 8)));
    return true;
}

bool ClusterBitmap::Test(uint64_t bit) const
{
    return bit < bitCount_ && (bytes_[bit / 8] & (1u << (bit % 8))) != 0;
}
