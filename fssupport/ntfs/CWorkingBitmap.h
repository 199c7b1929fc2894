// The reader's own copy of the cluster bitmap (bit n = cluster n, least significant
// bit first), from which the clusters handed out or left out are cleared. One
// contiguous byte array, so that a copy out is a single memcpy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TBitmap;

class CWorkingBitmap {
public:
    // Copies the volume's bitmap and clears the bits past the last cluster. Fails
    // when the source is empty or too small to hold clusterCount bits.
    bool Init(const TBitmap& source, uint64_t clusterCount);
    void Free();
    bool IsEmpty() const { return bytes_.empty(); }
    size_t GetSize() const { return bytes_.size(); }
    const unsigned char* GetData() const { return bytes_.data(); }

    // Sets (set) or clears bits lcn .. lcn + count - 1; false, changing nothing,
    // when lcn is negative or the range reaches past the bitmap.
    bool FixOutBitmap(int64_t lcn, bool set, int64_t count);
    // True when every bit of the range equals set; false for a range outside.
    bool CheckBitmap(int64_t lcn, int64_t count, bool set) const;

    // Copies from byte firstBit / 8 at most (bitCount + 7) / 8 bytes, cut at the
    // bitmap's end. False, copying nothing, when firstBit is not a multiple of 8
    // or lies at or past the end.
    bool CopyOut(void* destination, uint64_t firstBit, uint64_t bitCount) const;

private:
    bool RangeInside(int64_t lcn, int64_t count) const;
    std::vector<unsigned char> bytes_;
};
