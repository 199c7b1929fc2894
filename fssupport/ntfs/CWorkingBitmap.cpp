#include "CWorkingBitmap.h"

#include <algorithm>
#include <cstring>

#include "TBitmap.h"

bool CWorkingBitmap::Init(const TBitmap& source, uint64_t clusterCount)
{
    bytes_.clear();
    const size_t size = source.GetBitmapSize();
    if (size == 0 || clusterCount == 0 || (clusterCount + 7) / 8 > size)
        return false;
    bytes_.assign(source.GetBitmapData(), source.GetBitmapData() + size);
    // Bits past the last cluster stand for no cluster: keep them clear so that
    // nobody copies clusters that do not exist.
    for (uint64_t bit = clusterCount; bit < uint64_t(size) * 8; ++bit) {
        if (bit % 8 == 0) {
            std::memset(bytes_.data() + bit / 8, 0, size - bit / 8);
            break;
        }
        bytes_[bit / 8] &= static_cast<unsigned char>(~(1u << (bit % 8)));
    }
    return true;
}

void CWorkingBitmap::Free()
{
    std::vector<unsigned char>().swap(bytes_);
}

bool CWorkingBitmap::RangeInside(int64_t lcn, int64_t count) const
{
    const int64_t bits = static_cast<int64_t>(bytes_.size()) * 8;
    return lcn >= 0 && count >= 0 && lcn <= bits && count <= bits - lcn;
}

bool CWorkingBitmap::FixOutBitmap(int64_t lcn, bool set, int64_t count)
{
    if (!RangeInside(lcn, count))
        return false;
    for (int64_t bit = lcn; bit < lcn + count; ++bit) {
        const unsigned char mask = static_cast<unsigned char>(1u << (bit % 8));
        if (set)
            bytes_[static_cast<size_t>(bit / 8)] |= mask;
        else
            bytes_[static_cast<size_t>(bit / 8)] &= static_cast<unsigned char>(~mask);
    }
    return true;
}

bool CWorkingBitmap::CheckBitmap(int64_t lcn, int64_t count, bool set) const
{
    if (!RangeInside(lcn, count))
        return false;
    for (int64_t bit = lcn; bit < lcn + count; ++bit) {
        if (static_cast<bool>((bytes_[static_cast<size_t>(bit / 8)] >> (bit % 8)) & 1) != set)
            return false;
    }
    return true;
}

bool CWorkingBitmap::CopyOut(void* destination, uint64_t firstBit, uint64_t bitCount) const
{
    if (destination == nullptr || bytes_.empty() || firstBit % 8 != 0 || firstBit / 8 >= bytes_.size())
        return false;
    const uint64_t firstByte = firstBit / 8;
    // Rounded up without overflow, so that a count of "everything" copies everything.
    const uint64_t wanted = bitCount / 8 + (bitCount % 8 != 0 ? 1 : 0);
    const uint64_t bytes = std::min<uint64_t>(wanted, bytes_.size() - firstByte);
    if (bytes != 0)
        std::memcpy(destination, bytes_.data() + firstByte, static_cast<size_t>(bytes));
    return true;
}
