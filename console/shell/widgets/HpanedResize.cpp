#include "HpanedResize.h"

#include <cstdlib>

HpanedWidths ResizePanes(int pressX, int pointerX, int leftWidth, int rightWidth)
{
    const int d = std::abs(pressX - pointerX);
    if (pressX < pointerX)
        return {leftWidth + d, rightWidth - d};
    return {leftWidth - d, rightWidth + d};
}
