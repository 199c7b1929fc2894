#include "ListDrawing.h"

#include <pango/pangocairo.h>

#include "DrawPrimitives.h"
#include "ResPicture.h"

namespace {

void SetRgb(cairo_t* cr, int r, int g, int b)
{
    cairo_set_source_rgb(cr, r / 255.0, g / 255.0, b / 255.0);
}

void FillRect(cairo_t* cr, double x, double y, double w, double h)
{
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

PangoLayout* ListLayout(cairo_t* cr, const char* text, int size, bool bold)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, "SimSun");
    pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
    pango_font_description_set_weight(font, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout, text != nullptr ? text : "", -1);
    return layout;
}

} // namespace

void DrawListHeaderCell(cairo_t* cr, const ListRect& c, const char* title, double alignment, double raise)
{
    cairo_save(cr);
    SetRgb(cr, 235, 234, 219);
    FillRect(cr, c.x, c.y, c.w, c.h - 3);
    const int bottom[3][3] = {{226, 222, 205}, {214, 210, 194}, {203, 199, 184}};
    for (int i = 0; i < 3; ++i) {
        SetRgb(cr, bottom[i][0], bottom[i][1], bottom[i][2]);
        FillRect(cr, c.x, c.y + c.h - 3 + i, c.w, 1);
    }
    SetRgb(cr, 255, 255, 255);
    FillRect(cr, c.x, c.y + 3, 1, c.h - 6);
    SetRgb(cr, 199, 197, 178);
    FillRect(cr, c.x + c.w - 1, c.y + 3, 1, c.h - 6);
    int tw = 0, th = 0;
    ListTextSize(cr, title, 12, false, tw, th);
    cairo_rectangle(cr, c.x, c.y, c.w, c.h);
    cairo_clip(cr);
    PangoLayout* layout = ListLayout(cr, title, 12, false);
    SetRgb(cr, 74, 103, 16);
    const double baseline = c.y + c.h / 2.0 + th / 2.0 - raise;
    cairo_move_to(cr, c.x + 2 + (c.w - tw - 8) * alignment, baseline - th);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    cairo_restore(cr);
}

void FillListCell(cairo_t* cr, const ListRect& c, bool selected)
{
    if (selected)
        SetRgb(cr, kListSelectedRow.r, kListSelectedRow.g, kListSelectedRow.b);
    else
        SetRgb(cr, 255, 255, 255);
    FillRect(cr, c.x, c.y, c.w, c.h);
}

void ListTextSize(cairo_t* cr, const char* text, int size, bool bold, int& width, int& height)
{
    PangoLayout* layout = ListLayout(cr, text, size, bold);
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
}

void DrawListText(cairo_t* cr, const char* text, double x, double baseline, int size, bool bold, bool white, bool grey)
{
    if (text == nullptr || *text == '\0')
        return;
    PangoLayout* layout = ListLayout(cr, text, size, bold);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    if (white)
        SetRgb(cr, 255, 255, 255);
    else if (grey)
        SetRgb(cr, kListGreyText.r, kListGreyText.g, kListGreyText.b);
    else
        SetRgb(cr, 0, 0, 0);
    cairo_move_to(cr, x, baseline - h);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

double ListTextX(double left, int cellWidth, int textWidth, double alignment)
{
    return left + (cellWidth - textWidth - 8) * alignment;
}

const char* CheckPicturePath(bool checked, bool selected)
{
    if (checked)
        return selected ? "../res/check_checked_hover.png" : "../res/check_checked_normal.png";
    return selected ? "../res/check_hover.png" : "../res/check_normal.png";
}

void DrawCheckPicture(cairo_t* cr, bool checked, bool selected, double x, double y)
{
    PaintResPicture(cr, CheckPicturePath(checked, selected), x, y);
}

void DrawTypeSwatch(cairo_t* cr, int x, int y, int h, ListRgb colour)
{
    if (h < 10)
        return;
    SetRgb(cr, 255, 255, 255);
    FillRect(cr, x, y + 1, h - 2, h - 2);
    SetRgb(cr, 0, 0, 0);
    FillRect(cr, x + 3, y + 4, h - 8, h - 8);
    SetRgb(cr, colour.r, colour.g, colour.b);
    FillRect(cr, x + 4, y + 5, h - 10, h - 10);
}

void DrawDiskTitleRow(cairo_t* cr, int x, int y, int width, const std::string& title, bool selected)
{
    if (selected) {
        SetRgb(cr, kListSelectedRow.r, kListSelectedRow.g, kListSelectedRow.b);
        FillRect(cr, x, y + 7, width, 20);
    }
    DrawListText(cr, title.c_str(), x + 22, y + 22, 14, true, selected);
    SetGradientColor(cr, x + 4, y + 28, x + 280, y + 29, 0xFFFFFF, 0x28468C, false, false, 0, 0);
}
