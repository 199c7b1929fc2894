// IPixelPen over a GDK graphics context and drawable: the pen of real windows.
#pragma once

#include "IPixelPen.h"

#include <gdk/gdk.h>

class GdkPixelPen : public IPixelPen {
public:
    GdkPixelPen(GdkGC* gc, GdkDrawable* drawable);
    void SetColor16(int red, int green, int blue) override;
    void Point(int x, int y) override;
    void Line(int x1, int y1, int x2, int y2) override;
    void Outline(int x, int y, int width, int height) override;

private:
    GdkGC* gc_;
    GdkDrawable* drawable_;
};
