#include "HoledVolume.h"

#include <algorithm>
#include <cstring>

#include "LittleEndian.h"

HoledVolume::HoledVolume(uint8_t* data, size_t size) : data_(data), body_(size), holeStart_(size), holeBytes_(0)
{
    if (size < kTrailerBytes || std::memcmp(data + size - kTrailerBytes, "ZERO", 4) != 0)
        return;
    body_ = size - kTrailerBytes;
    holeStart_ = std::min<uint64_t>(uint64_t(LoadLE32(data + size - 8)) * 512, body_);
    holeBytes_ = uint64_t(LoadLE32(data + size - 4)) * 512;
}

uint8_t* HoledVolume::At(uint64_t offset, uint64_t length) const
{
    if (offset + length <= holeStart_)
        return data_ + offset;
    if (offset < holeStart_ + holeBytes_)
        return nullptr;
    const uint64_t at = offset - holeBytes_;
    return at + length <= body_ ? data_ + at : nullptr;
}

void HoledVolume::Copy(uint64_t offset, uint64_t length, uint8_t* out) const
{
    std::memset(out, 0, length);
    // Before the hole.
    if (offset < holeStart_) {
        const uint64_t n = std::min(length, holeStart_ - offset);
        std::memcpy(out, data_ + offset, n);
    }
    // After it: volume offset v holds input byte v - holeBytes_.
    const uint64_t after = holeStart_ + holeBytes_;
    const uint64_t from = std::max(offset, after);
    if (from < offset + length && from - holeBytes_ < body_) {
        const uint64_t n = std::min(offset + length - from, body_ - (from - holeBytes_));
        std::memcpy(out + (from - offset), data_ + (from - holeBytes_), n);
    }
}
