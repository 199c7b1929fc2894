#include "StripGeometry.h"

#include <algorithm>
#include <cmath>

double StripPixelSize(double before, double size, double after)
{
    const double total = before + size + after;
    double pixel = std::floor(total) / kStripWidth;
    if (pixel <= 0)
        pixel = total / kStripWidth;  // under 1 MB: whole MB would give 0
    if (pixel <= 0)
        pixel = 1.0 / kStripWidth;
    return pixel;
}

StripWidths StripWidthsFor(double before, double size, double after, int minimumMain)
{
    StripWidths w;
    const double total = before + size + after;
    const int room = kStripWidth - 2 * kStripBarWidth;
    if (total <= 0) {
        w.main = room;
        return w;
    }
    if (before > 0)
        w.leftFree = std::max(kSmallestGapWidth, static_cast<int>(before * room / total));
    if (after > 0)
        w.rightFree = std::max(kSmallestGapWidth, static_cast<int>(after * room / total));
    w.main = room - w.leftFree - w.rightFree;
    if (w.main < minimumMain) {
        // Take the missing width from the wider gap, never below its smallest width.
        int missing = minimumMain - w.main;
        int& wider = w.leftFree >= w.rightFree ? w.leftFree : w.rightFree;
        const int give = std::min(missing, std::max(0, wider - kSmallestGapWidth));
        wider -= give;
        w.main += give;
    }
    return w;
}

bool MiddleDragStep(const StripWidths& now, int dx, double pixelSize, double total, double size, MiddleStep& step)
{
    if (dx == 0)
        return false;
    step = MiddleStep();
    step.toRight = dx > 0;
    const int free = step.toRight ? now.rightFree : now.leftFree;
    if (free < 2)
        return false;
    const int shift = std::min(std::abs(dx), free - 1);
    step.widths = now;
    if (step.toRight) {
        step.widths.leftFree += shift;
        step.widths.rightFree -= shift;
    } else {
        step.widths.leftFree -= shift;
        step.widths.rightFree += shift;
    }
    step.toEnd = std::abs(dx) >= free || (step.toRight ? step.widths.rightFree : step.widths.leftFree) <= 1;
    if (step.toEnd)
        step.newBefore = step.toRight ? total - size : 0.0;
    else
        step.newBefore = step.widths.leftFree * pixelSize;
    return true;
}

bool BarDragStep(const StripWidths& now, bool rightBar, int dx, double pixelSize, double size, double smallest,
                 int minimumMain, BarStep& step)
{
    if (dx == 0)
        return false;
    step = BarStep();
    step.widths = now;
    // Dragging the right bar right, or the left bar left, grows the partition.
    step.grow = rightBar ? dx > 0 : dx < 0;
    int& gap = rightBar ? step.widths.rightFree : step.widths.leftFree;
    const int amount = std::abs(dx);
    if (step.grow) {
        const int shift = std::min(amount, gap - 1);
        if (shift <= 0)
            return false;
        gap -= shift;
        step.widths.main += shift;
        step.newSize = size + shift * pixelSize;
    } else {
        const int shift = std::min(amount, now.main - minimumMain);
        if (shift <= 0)
            return false;
        gap += shift;
        step.widths.main -= shift;
        step.newSize = std::max(size - shift * pixelSize, smallest);
    }
    return true;
}

StripWidths DiskViewWidthsFor(double before, double size, double after, double pixelSize, int panelLength)
{
    StripWidths w;
    if (!(pixelSize > 0))
        return w;
    const auto pixels = [pixelSize](double mb) { return mb > 0 ? static_cast<int>(mb / pixelSize) : 0; };
    w.main = pixels(size);
    w.leftFree = pixels(before);
    w.rightFree = pixels(after);
    if (panelLength > 0) {
        const int room = std::max(0, panelLength - kPanelRowMargin - w.main);
        if (w.leftFree >= panelLength)
            w.leftFree = room;
        if (w.rightFree >= panelLength)
            w.rightFree = room;
    }
    if (before >= 1 && w.leftFree <= kSmallestGapWidth)
        w.leftFree = kSmallestGapWidth;
    else if (after > 1 && w.rightFree < kSmallestGapWidth)
        w.rightFree = kSmallestGapWidth;
    return w;
}
