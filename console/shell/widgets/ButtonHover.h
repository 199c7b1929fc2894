// The orange hover highlight that a push button draws over its frame.
#pragma once

#include "IPixelPen.h"

void DrawHoverWith(IPixelPen& pen, int x, int y, int w, int h);
