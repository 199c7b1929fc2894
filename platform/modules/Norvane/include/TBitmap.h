// A bitmap of bits numbered from 0, least significant bit of byte 0 first (the
// on-disk order of NTFS bitmaps).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TBitmap {
public:
    // Holds bits zero bits (in (bits + 7) / 8 bytes); false when bits is 0.
    bool CreateBitmap(uint64_t bits);
    void Clear();

    unsigned char* GetBitmapData() { return bytes_.empty() ? nullptr : bytes_.data(); }
    const unsigned char* GetBitmapData() const { return bytes_.empty() ? nullptr : bytes_.data(); }
    // Size in bytes.
    size_t GetBitmapSize() const { return bytes_.size(); }
    // The last bit index, or -1 when empty.
    int64_t GetMaxBitIndex() const { return static_cast<int64_t>(bits_) - 1; }

    // Out-of-range bits read as clear and ignore writes.
    bool GetBit(uint64_t bit) const;
    void SetBit(uint64_t bit, bool value);

private:
    std::vector<unsigned char> bytes_;
    uint64_t bits_ = 0;
};
