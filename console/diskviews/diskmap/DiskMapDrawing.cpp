#include "DiskMapDrawing.h"

#include "BlockDrawing.h"
#include "ResPicture.h"

namespace {

void FillHeaderRect(cairo_t* cr, BlockRgb c, double x, double y, double w, double h)
{
    if (w <= 0 || h <= 0)
        return;
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

} // namespace

void DrawDiskHeader(cairo_t* cr, int width, int height, const std::string& text)
{
    FillHeaderRect(cr, {102, 144, 20}, 0, 0, width, height);
    const BlockRgb light{160, 201, 81};
    FillHeaderRect(cr, light, 0, 0, width, 3);
    FillHeaderRect(cr, light, 0, 0, 3, height);
    const BlockRgb dark{30, 38, 26};
    FillHeaderRect(cr, dark, width - 2, 0, 2, height);
    FillHeaderRect(cr, dark, 2, height - 2, width - 2, 2);
    PaintResPicture(cr, "../res/disk-16x16.png", 2, 2);
    DrawViewText(cr, text, 24, 15, 14, true, {255, 255, 255});
}

void DrawDevBoxOutline(cairo_t* cr, int x, int y, int width, int height)
{
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 1);
    // Half-pixel positions keep each line one pixel wide.
    const double left = x + 0.5, right = x + width + 0.5, top = y + 0.5, bottom = y + height + 0.5;
    cairo_move_to(cr, x - 1, top);
    cairo_line_to(cr, x + width + 2, top);
    cairo_move_to(cr, left, top);
    cairo_line_to(cr, left, bottom);
    cairo_move_to(cr, right, top);
    cairo_line_to(cr, right, bottom);
    cairo_move_to(cr, x - 1, bottom);
    cairo_line_to(cr, x + width + 2, bottom);
    cairo_stroke(cr);
}
