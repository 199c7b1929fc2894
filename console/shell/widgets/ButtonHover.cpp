#include "ButtonHover.h"

void DrawHoverWith(IPixelPen& pen, int x, int y, int w, int h)
{
    pen.SetColorRgb(0xFDD889);
    pen.Line(x + 2, y + 1, x + w - 3, y + 1);
    pen.Line(x + 1, y + 2, x + w - 2, y + 2);

    pen.SetColorRgb(0xFBC761);
    pen.Line(x + 1, y + 3, x + 1, y + h - 3);
    pen.Line(x + 2, y + 3, x + 2, y + h - 3);
    pen.Line(x + w - 2, y + 3, x + w - 2, y + h - 4);
    pen.Line(x + w - 3, y + 3, x + w - 3, y + h - 4);
    pen.Line(x + 1, y + h - 3, x + w - 2, y + h - 3);

    pen.SetColorRgb(0xE59700);
    pen.Line(x + 2, y + h - 2, x + w - 3, y + h - 2);
}
