#include "VolumeBitmapCompare.h"

#include "CheckResult.h"

unsigned long CompareVolumeBitmaps(const uint8_t* fsBitmap, size_t fsBytes, const uint8_t* imageBitmap,
                                   size_t imageBytes, uint64_t bitCount)
{
    uint64_t bits = bitCount;
    if (bits > static_cast<uint64_t>(fsBytes) * 8)
        bits = static_cast<uint64_t>(fsBytes) * 8;
    const size_t wholeBytes = static_cast<size_t>(bits / 8);
    // A cluster that the file system uses and the image lacks is a mismatch, whatever
    // else either byte holds: fs & ~image.
    for (size_t i = 0; i < wholeBytes; ++i) {
        const uint8_t image = i < imageBytes ? imageBitmap[i] : 0;
        if ((fsBitmap[i] & static_cast<uint8_t>(~image)) != 0)
            return CheckResult::BitmapMismatch;
    }
    const unsigned lastBits = static_cast<unsigned>(bits % 8);
    if (lastBits != 0) {
        const uint8_t mask = static_cast<uint8_t>((1u << lastBits) - 1);
        const uint8_t image = wholeBytes < imageBytes ? imageBitmap[wholeBytes] : 0;
        if ((fsBitmap[wholeBytes] & mask & static_cast<uint8_t>(~image)) != 0)
            return CheckResult::BitmapLastByteMismatch;
    }
    return 0;
}

bool ImageBitmapIsFull(const uint8_t* imageBitmap, size_t imageBytes)
{
    for (size_t i = 0; i + 1 < imageBytes; ++i)
        if (imageBitmap[i] != 0xFF)
            return false;
    return true;
}
