// The disk map's own drawing on cairo: a row's header and the outline under it.
#pragma once

#include <cairo.h>

#include <string>

// The green header of a row with its disk picture and text, over (0, 0, width, height).
void DrawDiskHeader(cairo_t* cr, int width, int height, const std::string& text);
// A black 1-px outline of the rectangle, its top and bottom reaching one pixel to the
// left and two to the right.
void DrawDevBoxOutline(cairo_t* cr, int x, int y, int width, int height);
