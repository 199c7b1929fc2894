#include "CairoPixelPen.h"

#include <cstdlib>

CairoPixelPen::CairoPixelPen(cairo_t* cr) : cr_(cr)
{
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
}

void CairoPixelPen::SetColor16(int red, int green, int blue)
{
    cairo_set_source_rgb(cr_, red / 65535.0, green / 65535.0, blue / 65535.0);
}

void CairoPixelPen::Span(int x, int y, int width, int height)
{
    cairo_rectangle(cr_, x, y, width, height);
    cairo_fill(cr_);
}

void CairoPixelPen::Point(int x, int y)
{
    Span(x, y, 1, 1);
}

void CairoPixelPen::Line(int x1, int y1, int x2, int y2)
{
    // Bresenham, both end points included, the way X draws a thin line.
    int dx = std::abs(x2 - x1);
    int dy = -std::abs(y2 - y1);
    int sx = x1 < x2 ? 1 : -1;
    int sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        Point(x1, y1);
        if (x1 == x2 && y1 == y2)
            break;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x1 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y1 += sy;
        }
    }
}

void CairoPixelPen::Outline(int x, int y, int width, int height)
{
    if (width < 0 || height < 0)
        return;
    Span(x, y, width + 1, 1);
    Span(x, y + height, width + 1, 1);
    Span(x, y, 1, height + 1);
    Span(x + width, y, 1, height + 1);
}
