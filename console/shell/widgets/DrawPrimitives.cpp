#include "DrawPrimitives.h"

#include "GdkPixelPen.h"
#include "GradientStep.h"

namespace {

constexpr unsigned kFrameOuter = 0x7F9DB9;
constexpr unsigned kWhite = 0xFFFFFF;

constexpr unsigned kXpCorner = 0xD6D3C7;
constexpr unsigned kXpBesideCorner = 0x64839C;
constexpr unsigned kXpRounding = 0x547CA1;
constexpr unsigned kXpEdge = 0x003B73;
constexpr unsigned kXpInner = 0xE2E2DA;

} // namespace

void DrawFrameWith(IPixelPen& pen, int x, int y, int width, int height)
{
    pen.SetColorRgb(kFrameOuter);
    pen.Outline(x, y, width - 1, height - 1);
    pen.SetColorRgb(kWhite);
    pen.Outline(x + 1, y + 1, width - 3, height - 3);
}

void DrawXpFrameWith(IPixelPen& pen, int x, int y, int width, int height)
{
    const int r = x + width - 1;
    const int b = y + height - 1;

    pen.SetColorRgb(kXpCorner);
    pen.Point(x, y);
    pen.Point(r, y);
    pen.Point(x, b);
    pen.Point(r, b);

    pen.SetColorRgb(kXpBesideCorner);
    pen.Point(x + 1, y);
    pen.Point(x, y + 1);
    pen.Point(r - 1, y);
    pen.Point(r, y + 1);
    pen.Point(x, b - 1);
    pen.Point(x + 1, b);
    pen.Point(r, b - 1);
    pen.Point(r - 1, b);

    pen.SetColorRgb(kXpRounding);
    pen.Point(x, y + 2);
    pen.Point(x + 2, y);
    pen.Point(x + 1, y + 1);
    pen.Point(x, b - 2);
    pen.Point(x + 2, b);
    pen.Point(x + 1, b - 1);
    pen.Point(r - 2, y);
    pen.Point(r, y + 2);
    pen.Point(r - 1, y + 1);
    pen.Point(r - 2, b);
    pen.Point(r, b - 2);
    pen.Point(r - 1, b - 1);

    pen.SetColorRgb(kXpEdge);
    pen.Line(x + 3, y, r - 3, y);
    pen.Line(x + 3, b, r - 3, b);
    pen.Line(x, y + 3, x, b - 3);
    pen.Line(r, y + 3, r, b - 3);

    pen.SetColorRgb(kXpInner);
    pen.Line(x + 2, y + 1, r - 2, y + 1);
    pen.Line(x + 2, b - 1, r - 2, b - 1);
    pen.Line(x + 1, y + 2, x + 1, b - 2);
    pen.Line(r - 1, y + 2, r - 1, b - 2);
}

void DrawFrame(GdkGC* gc, GdkDrawable* drawable, GdkRectangle* rect)
{
    if (!gc || !drawable || !rect)
        return;
    GdkPixelPen pen(gc, drawable);
    DrawFrameWith(pen, rect->x, rect->y, rect->width, rect->height);
}

void DrawXpFrame(GdkGC* gc, GdkDrawable* drawable, GdkRectangle* rect)
{
    if (!gc || !drawable || !rect)
        return;
    GdkPixelPen pen(gc, drawable);
    DrawXpFrameWith(pen, rect->x, rect->y, rect->width, rect->height);
}

void DrawLine(GdkDrawable* drawable, GdkGC* gc, int red, int green, int blue, int x1, int y1, int x2, int y2)
{
    if (!gc || !drawable)
        return;
    GdkPixelPen pen(gc, drawable);
    pen.SetColor16(red, green, blue);
    pen.Line(x1, y1, x2, y2);
}

void SetGradientColor(cairo_t* cr, int x, int y, int x2, int y2, unsigned long from, unsigned long to,
                      bool vertical, bool bgrOrder, int, int)
{
    if (!cr)
        return;
    // Later steps paint over earlier ones, so each step's colour remains in a band.
    for (int i = 0; i < kGradientSteps; ++i) {
        const GradientRgb c = GradientStepColor(from, to, i, bgrOrder);
        cairo_set_source_rgb(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0);
        const GradientRect r = GradientStepRect(x, y, x2, y2, i, vertical);
        cairo_rectangle(cr, r.x, r.y, r.width, r.height);
        cairo_fill(cr);
    }
}

void SetScrollBarStyle(GtkWidget* widget)
{
    if (!widget)
        return;
    GtkStyle* style = gtk_style_copy(gtk_widget_get_style(widget));
    const GdkColor normal = {0, 0xE9E9, 0xE6E6, 0xD1D1};
    const GdkColor active = {0, 0xFAFA, 0xFAFA, 0xF5F5};
    const GdkColor prelight = {0, 0xE3E3, 0xE0E0, 0xC6C6};
    style->bg[GTK_STATE_NORMAL] = normal;
    style->bg[GTK_STATE_ACTIVE] = active;
    style->bg[GTK_STATE_PRELIGHT] = prelight;
    gtk_widget_set_style(widget, style);
    g_object_unref(style);
}
