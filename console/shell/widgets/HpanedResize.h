// The splitter's drag arithmetic: new requested widths of the two panes after the
// pointer moved from the press position.
#pragma once

struct HpanedWidths {
    int left;
    int right;
};

HpanedWidths ResizePanes(int pressX, int pointerX, int leftWidth, int rightWidth);
