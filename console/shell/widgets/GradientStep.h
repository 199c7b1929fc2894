// Arithmetic of the 32-step gradient fill: the colour and the rectangle of one step.
#pragma once

struct GradientRgb {
    int red;
    int green;
    int blue;
};

struct GradientRect {
    int x;
    int y;
    int width;
    int height;
};

constexpr int kGradientSteps = 32;

GradientRgb GradientStepColor(unsigned long from, unsigned long to, int step, bool bgrOrder);
GradientRect GradientStepRect(int x, int y, int x2, int y2, int step, bool vertical);
