// Paints a PNG picture, read from disk at the moment it is drawn. A missing or
// unreadable file paints nothing.
#pragma once

#include <cairo.h>

bool PaintResPicture(cairo_t* cr, const char* path, double x, double y);
