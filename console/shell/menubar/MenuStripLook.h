// The menu bar's drawn look through any pixel pen: the light strip with its top
// shadow and base lines behind the menus and the picture button, and the two-line
// separator under it.
#pragma once

#include "IPixelPen.h"

// filled: the row box fills its whole area first; the menu bar only outlines it.
void DrawMenuStripWith(IPixelPen& pen, int x, int y, int width, int height, bool filled);
void DrawMenuSeparatorWith(IPixelPen& pen, int x, int y, int width);
