#include "ProgressBlockLayout.h"

ProgressBlockLayout LayoutProgressBlocks(int width, int height, double fraction)
{
    ProgressBlockLayout layout;
    const int n = static_cast<int>(width * fraction - 2.0); // truncates toward zero
    const int full = n / kProgressBlockPitch;
    const int rest = n % kProgressBlockPitch;
    layout.blockY = height / 2 - 9;
    int x = 2;
    for (int i = 0; i < full; ++i) {
        layout.blockX.push_back(x + 2);
        x += kProgressBlockPitch;
    }
    if (rest >= 3) {
        layout.blockX.push_back(x + 2);
        layout.hasPartial = true;
        layout.cover = {x + rest, height / 2 - 9, kProgressBlockPitch - rest, height / 2 + 9};
    }
    return layout;
}

void ProgressTextOrigin(int width, int height, double textWidth, double textHeight, double* x, double* y)
{
    *x = width / 2 - textWidth / 2;
    *y = height / 2 + textHeight / 2;
}
