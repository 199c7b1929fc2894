// The arithmetic of the move/resize strip: pixel widths for the MB layout and the
// size a drag step asks the manager for. No GTK here.
#pragma once

constexpr int kStripWidth = 590;
constexpr int kStripBarWidth = 6;
constexpr int kStripHeight = 50;
constexpr int kSmallestGapWidth = 3;
constexpr int kDiskViewHeight = 40;
// The gap a disk panel keeps beside a free block that would fill its whole row.
constexpr int kPanelRowMargin = 20;

struct StripWidths {
    int leftFree = 0;
    int main = 0;
    int rightFree = 0;
};

// MB shown by one pixel. Never 0: a disk of under 1 MB still gets a usable scale.
double StripPixelSize(double before, double size, double after);
// Widths of the free blocks and the main block; both bars stay visible, and the main
// block keeps room for the used rectangle (minimumMain pixels).
StripWidths StripWidthsFor(double before, double size, double after, int minimumMain);

// A step of a drag of the middle: what before gap to offer and the widths if it is
// accepted. False when the step asks for nothing.
struct MiddleStep {
    bool toRight = false;
    bool toEnd = false;
    double newBefore = 0;
    StripWidths widths;
};
bool MiddleDragStep(const StripWidths& now, int dx, double pixelSize, double total, double size, MiddleStep& step);

// A step of a bar drag: the new size to offer and the widths if accepted.
struct BarStep {
    bool grow = false;
    double newSize = 0;
    StripWidths widths;
};
bool BarDragStep(const StripWidths& now, bool rightBar, int dx, double pixelSize, double size, double smallest,
                 int minimumMain, BarStep& step);

// Widths of a block in a disk panel row: every part is its MB over the pixel size
// (truncated). A free block that would take the whole row (panelLength, 0 without a
// panel) leaves room for the partition and the row's margin; a gap of 1 MB or more
// stays visible at 3 pixels (the gap before first, as the panel draws it).
StripWidths DiskViewWidthsFor(double before, double size, double after, double pixelSize, int panelLength);
