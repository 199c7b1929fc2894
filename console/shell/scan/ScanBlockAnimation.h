// The moving block under the device-scan picture: what one 200 ms tick paints. The
// block is 7 pixels wide and moves 5 pixels a tick, leaving a trail; at the right
// edge the bar paints its last trail and a one-pixel black end and starts again.
#pragma once

#include <vector>

enum class ScanColour { Trail, Block, Black };

struct ScanFill {
    int x;
    int width; // never negative
    ScanColour colour;
    bool operator==(const ScanFill& o) const { return x == o.x && width == o.width && colour == o.colour; }
};

struct ScanStep {
    std::vector<ScanFill> fills; // in painting order
    int next;                    // the block's position for the next tick
};

constexpr int kScanBlockWidth = 7;
constexpr int kScanBlockStride = 5;
constexpr int kScanBlockStart = 1;

// position: the block's x (starts at 1); width: the picture's allocated width.
ScanStep NextScanStep(int position, int width);

// Fills lie in a 2-pixel band this far above the picture's bottom edge.
constexpr int kScanBandFromBottom = 9;
constexpr int kScanBandHeight = 2;
