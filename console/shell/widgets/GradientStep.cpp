#include "GradientStep.h"

namespace {

int BlendByte(unsigned long from, unsigned long to, int byte, int step)
{
    const long f = static_cast<long>((from >> (8 * byte)) & 0xFF);
    const long t = static_cast<long>((to >> (8 * byte)) & 0xFF);
    return static_cast<int>((f * (kGradientSteps - step) + t * step) >> 5);
}

} // namespace

GradientRgb GradientStepColor(unsigned long from, unsigned long to, int step, bool bgrOrder)
{
    const int b0 = BlendByte(from, to, 0, step);
    const int b1 = BlendByte(from, to, 1, step);
    const int b2 = BlendByte(from, to, 2, step);
    if (bgrOrder)
        return {b0, b1, b2};
    return {b2, b1, b0};
}

GradientRect GradientStepRect(int x, int y, int x2, int y2, int step, bool vertical)
{
    if (vertical)
        return {x, y, x2 - x, (y2 - ((step * (y2 - y)) >> 5)) - y};
    return {x, y, (x2 - (((step + 1) * (x2 - x)) >> 5)) - x, y2 - y};
}
