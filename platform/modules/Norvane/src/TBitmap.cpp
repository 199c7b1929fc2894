#include "TBitmap.h"

#include <cstdint>
#include <new>

bool TBitmap::CreateBitmap(uint64_t bits)
{
    Clear();
    if (bits == 0 || bits > UINT64_MAX - 7)
        return false;
    // The size often comes from a disk; one that no memory can hold is a failure,
    // not the end of the process.
    try {
        bytes_.assign(static_cast<size_t>((bits + 7) / 8), 0);
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
    bits_ = bits;
    return true;
}

void TBitmap::Clear()
{
    std::vector<unsigned char>().swap(bytes_);
    bits_ = 0;
}

bool TBitmap::GetBit(uint64_t bit) const
{
    if (bit >= bits_)
        return false;
    return (bytes_[bit / 8] >> (bit % 8)) & 1;
}

void TBitmap::SetBit(uint64_t bit, bool value)
{
    if (bit >= bits_)
        return;
    const unsigned char mask = static_cast<unsigned char>(1u << (bit % 8));
    if (value)
        bytes_[bit / 8] |= mask;
    else
        bytes_[bit / 8] &= static_cast<unsigned char>(~mask);
}
