// Where the progress bar's block pictures go: blocks at a 10-pixel pitch, each
// 2 pixels into its slot and 9 pixels above the middle line; a partial last block
// is painted whole and then covered in white past its first r - 2 columns.
#pragma once

#include <vector>

struct ProgressCover {
    int x;
    int y;
    int width;
    int height;
};

struct ProgressBlockLayout {
    std::vector<int> blockX; // left edge of every block picture, the partial one included
    int blockY = 0;
    bool hasPartial = false;
    ProgressCover cover{0, 0, 0, 0}; // meaningful when hasPartial
};

constexpr int kProgressBlockPitch = 10;

ProgressBlockLayout LayoutProgressBlocks(int width, int height, double fraction);

// Start of the bar's text: centred on (width/2, height/2) with integer halves of the
// bar and floating halves of the text's extents.
void ProgressTextOrigin(int width, int height, double textWidth, double textHeight, double* x, double* y);
