// The disk map's block drawn on a cairo context of one of its widgets: the 1-px gaps,
// the two bars in the file system's shades, and the body with its frame, used bar,
// size and label. Widths and heights are the widget's.
#pragma once

#include <cairo.h>

#include <string>

#include "BlockColours.h"
#include "BlockLook.h"

void DrawBlockGap(cairo_t* cr, int width, int height);
void DrawBlockBar(cairo_t* cr, int width, int height, const DeviceBlockLook& look);
// label: the display text, already cut to the body's width.
void DrawBlockBody(cairo_t* cr, int width, int height, const DeviceBlockLook& look, const std::string& label);

// Text of the disk views in "SimSun" (or what fontconfig offers for it) with its
// baseline at y.
void DrawViewText(cairo_t* cr, const std::string& text, double x, double baseline, int size, bool bold,
                  BlockRgb colour);
