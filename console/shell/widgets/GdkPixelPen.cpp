#include "GdkPixelPen.h"

GdkPixelPen::GdkPixelPen(GdkGC* gc, GdkDrawable* drawable) : gc_(gc), drawable_(drawable) {}

void GdkPixelPen::SetColor16(int red, int green, int blue)
{
    GdkColor color = {0, static_cast<guint16>(red), static_cast<guint16>(green), static_cast<guint16>(blue)};
    // Sets the GC's foreground and leaves it so; callers that draw more set their own.
    gdk_gc_set_rgb_fg_color(gc_, &color);
}

void GdkPixelPen::Point(int x, int y)
{
    gdk_draw_point(drawable_, gc_, x, y);
}

void GdkPixelPen::Line(int x1, int y1, int x2, int y2)
{
    gdk_draw_line(drawable_, gc_, x1, y1, x2, y2);
}

void GdkPixelPen::Outline(int x, int y, int width, int height)
{
    // GDK reads a negative size as "the whole drawable": a frame on a tiny
    // rectangle would otherwise paint over the entire window.
    if (width < 0 || height < 0)
        return;
    gdk_draw_rectangle(drawable_, gc_, FALSE, x, y, width, height);
}
