#include "ScanBlockAnimation.h"

#include <algorithm>

ScanStep NextScanStep(int position, int width)
{
    ScanStep step;
    int p = position;
    if (p != kScanBlockStart)
        step.fills.push_back({p - kScanBlockStride, kScanBlockWidth, ScanColour::Trail});
    // Near the right edge the block shrinks to what is left; a picture too narrow
    // for any block gets an empty one rather than a negative width.
    const int blockWidth = width - p < kScanBlockWidth ? std::max(0, width - p - 1) : kScanBlockWidth;
    step.fills.push_back({p, blockWidth, ScanColour::Block});
    p += kScanBlockStride;
    if (p >= width) {
        step.fills.push_back({width - kScanBlockWidth, kScanBlockWidth, ScanColour::Trail});
        step.fills.push_back({width - 1, 1, ScanColour::Black});
        p = kScanBlockStart;
    }
    step.next = p;
    return step;
}
