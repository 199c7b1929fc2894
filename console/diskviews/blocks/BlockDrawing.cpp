#include "BlockDrawing.h"

#include <algorithm>

#include <pango/pangocairo.h>

namespace {

void SetBlockColour(cairo_t* cr, BlockRgb c)
{
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

void FillBlockRect(cairo_t* cr, BlockRgb c, double x, double y, double w, double h)
{
    // A rectangle of negative width would be filled to the left of x.
    if (w <= 0 || h <= 0)
        return;
    SetBlockColour(cr, c);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

// The shades on a body: a 4-px light line along the top, a dark one along the bottom.
void StrokeBodyEdges(cairo_t* cr, int width, int height, const BlockShades& shades)
{
    cairo_set_line_width(cr, 4);
    SetBlockColour(cr, shades.light);
    cairo_rectangle(cr, 0, 0, width, 1);
    cairo_stroke(cr);
    SetBlockColour(cr, shades.dark);
    cairo_rectangle(cr, 0, height - 1, width, height);
    cairo_stroke(cr);
}

} // namespace

void DrawBlockGap(cairo_t* cr, int width, int height)
{
    FillBlockRect(cr, kBlockGapColour, 0, 0, width, height);
}

void DrawBlockBar(cairo_t* cr, int width, int height, const DeviceBlockLook& look)
{
    BlockShades shades;
    if (!BlockShadesOf(look.wholeDisk, look.unallocated, static_cast<int>(look.record.FileSystemType), shades))
        return;
    FillBlockRect(cr, shades.light, 0, 0, width, height - 10);
    FillBlockRect(cr, shades.dark, 0, 10, width, height);
}

void DrawBlockBody(cairo_t* cr, int width, int height, const DeviceBlockLook& look, const std::string& label)
{
    FillBlockRect(cr, {255, 255, 255}, 0, 0, width, height);
    BlockShades shades;
    if (BlockShadesOf(look.wholeDisk, look.unallocated, static_cast<int>(look.record.FileSystemType), shades))
        StrokeBodyEdges(cr, width, height, shades);
    for (const BlockBodyStep& step : kBlockBodySteps)
        FillBlockRect(cr, step.colour, step.x, step.y, width - step.shrinkW, height - step.shrinkH);
    if (look.unallocated && !look.wholeDisk)
        FillBlockRect(cr, kBlockUnallocatedFill, 0, 0, width, height);
    if (ShowsUsedBar(look)) {
        const double usedWidth = width * std::min(look.usedShare, 1.0);
        FillBlockRect(cr, kBlockUsedEdge, 2, 4, usedWidth - 4, height - 8);
        FillBlockRect(cr, kBlockUsedFill, 3, 5, usedWidth - 6, height - 10);
    }
    DrawViewText(cr, BlockSizeText(look), 5, 34, 12, true, {0, 0, 0});
    DrawViewText(cr, label, 5, 20, 12, false, {0, 0, 0});
}

void DrawViewText(cairo_t* cr, const std::string& text, double x, double baseline, int size, bool bold,
                  BlockRgb colour)
{
    if (text.empty())
        return;
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, "SimSun");
    pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
    pango_font_description_set_weight(font, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout, text.c_str(), -1);
    SetBlockColour(cr, colour);
    cairo_move_to(cr, x, baseline - pango_layout_get_baseline(layout) / static_cast<double>(PANGO_SCALE));
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}
