// IPixelPen over a cairo context, pixel for pixel as GDK draws: used to check the
// look's geometry on an image surface and to paint it where only cairo is at hand.
#pragma once

#include "IPixelPen.h"

#include <cairo.h>

class CairoPixelPen : public IPixelPen {
public:
    explicit CairoPixelPen(cairo_t* cr);
    void SetColor16(int red, int green, int blue) override;
    void Point(int x, int y) override;
    void Line(int x1, int y1, int x2, int y2) override;
    void Outline(int x, int y, int width, int height) override;

private:
    void Span(int x, int y, int width, int height);
    cairo_t* cr_;
};
