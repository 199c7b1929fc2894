// The fuzz input of the FAT reader's target: a volume's leading sectors, with at most
// one stretch of zero sectors left out. When the input ends in the 12-byte trailer
// "ZERO", u32 hole start, u32 hole length (sectors, little-endian), the volume is the
// input's first hole-start sectors, then hole-length zero sectors, then the rest of
// the input before the trailer. Every sector past that reads as zeros. The hole keeps
// a FAT32 seed small: most of its FAT is free entries.
#pragma once

#include <cstddef>
#include <cstdint>

class HoledVolume {
public:
    static constexpr size_t kTrailerBytes = 12;

    HoledVolume(uint8_t* data, size_t size);

    // The input bytes that hold length volume bytes from offset, or null when any of
    // them lies in the hole or past the input.
    uint8_t* At(uint64_t offset, uint64_t length) const;
    // Copies length volume bytes from offset into out, zeros where the input has none.
    void Copy(uint64_t offset, uint64_t length, uint8_t* out) const;

private:
    uint8_t* data_;
    uint64_t body_;      // input bytes before the trailer
    uint64_t holeStart_; // volume bytes before the hole
    uint64_t holeBytes_;
};
