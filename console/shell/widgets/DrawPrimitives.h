// The drawing functions every owner-drawn widget of the console shares. They own
// nothing and keep no state; each sets the GC's foreground and leaves it so.
#pragma once

#include "IPixelPen.h"

#include <gtk/gtk.h>

// Thin two-colour frame of entry fields, combo boxes and spin buttons.
void DrawFrame(GdkGC* gc, GdkDrawable* drawable, GdkRectangle* rect);
// Rounded three-tone frame of buttons and the progress bar.
void DrawXpFrame(GdkGC* gc, GdkDrawable* drawable, GdkRectangle* rect);
// One line; channels are 16-bit values (0xFFFF is full intensity).
void DrawLine(GdkDrawable* drawable, GdkGC* gc, int red, int green, int blue, int x1, int y1, int x2, int y2);
// Stepped gradient fill; colours packed 0x00RRGGBB, or 0x00BBGGRR when bgrOrder is set.
// The two trailing integers are not used; callers pass what they have.
void SetGradientColor(cairo_t* cr, int x, int y, int x2, int y2, unsigned long from, unsigned long to,
                      bool vertical, bool bgrOrder, int, int);
// Replaces the widget's style backgrounds with the scroll-bar colours.
void SetScrollBarStyle(GtkWidget* widget);

// The same frames through any pen, so that their pixels can be checked on an image.
void DrawFrameWith(IPixelPen& pen, int x, int y, int width, int height);
void DrawXpFrameWith(IPixelPen& pen, int x, int y, int width, int height);
