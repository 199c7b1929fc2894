// The change mask of an incremental write: 64 bits, one per 32 KiB piece, read
// from the lowest bit up in runs of equal bits. The runs end with the mask's 64
// bits, so no walk over it can go on forever.
#pragma once

#include <cstdint>

class ChangeMask {
public:
    explicit ChangeMask(uint64_t bits) : bits_(bits) {}

    // The length of the next run of equal bits, shifted out; false when all 64
    // bits have been used.
    bool NextRun(uint64_t* length)
    {
        if (left_ == 0)
            return false;
        const uint64_t bit = bits_ & 1;
        uint64_t n = 0;
        while (left_ > 0 && (bits_ & 1) == bit) {
            bits_ >>= 1;
            --left_;
            ++n;
        }
        *length = n;
        return true;
    }

private:
    uint64_t bits_;
    unsigned left_ = 64;
};
