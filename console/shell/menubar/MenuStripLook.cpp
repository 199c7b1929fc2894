#include "MenuStripLook.h"

namespace {

struct MenuLineColour {
    int red, green, blue;
};

constexpr MenuLineColour kMenuStripColour{0xE6E6, 0xEAEA, 0xDBDB};
constexpr MenuLineColour kMenuUpShadow[4] = {
    {0xC6C6, 0xCACA, 0xBCBC}, {0xCFCF, 0xD3D3, 0xC5C5}, {0xD8D8, 0xDCDC, 0xCECE}, {0xE0E0, 0xE7E7, 0xD7D7}};
constexpr MenuLineColour kMenuBaseLine[4] = {
    {0xE6E6, 0xE9E9, 0xDEDE}, {0xEAEA, 0xEEEE, 0xE0E0}, {0xECEC, 0xF1F1, 0xE2E2}, {0xEEEE, 0xF1F1, 0xE5E5}};
constexpr MenuLineColour kMenuSeparatorLines[2] = {{0x5757, 0x5757, 0x5757}, {0xE8E8, 0xFFFF, 0xA7A7}};

void UseMenuColour(IPixelPen& pen, const MenuLineColour& c)
{
    pen.SetColor16(c.red, c.green, c.blue);
}

} // namespace

void DrawMenuStripWith(IPixelPen& pen, int x, int y, int w, int h, bool filled)
{
    // The frame in the strip's own colour.
    UseMenuColour(pen, kMenuStripColour);
    if (filled) {
        // A filled rectangle of w - 1 by h - 1 covers columns 0 .. w - 2, rows 0 .. h - 2.
        for (int row = 0; row < h - 1; ++row)
            pen.Line(x, y + row, x + w - 2, y + row);
    } else {
        pen.Outline(x, y, w - 1, h - 1);
    }
    pen.Line(x + w - 3, y, x + w - 3, y + h - 1);
    pen.Line(x + w - 2, y, x + w - 2, y + h - 1);
    pen.Line(x + w - 1, y, x + w - 1, y + h);
    pen.Line(x, y + h - 1, x + w - 1, y + h - 1);

    for (int row = 0; row < 4; ++row) {
        UseMenuColour(pen, kMenuUpShadow[row]);
        pen.Line(x, y + row, x + w, y + row);
    }
    for (int row = 0; row < 4; ++row) {
        UseMenuColour(pen, kMenuBaseLine[row]);
        pen.Line(x, y + h - 4 + row, x + w, y + h - 4 + row);
    }
}

void DrawMenuSeparatorWith(IPixelPen& pen, int x, int y, int w)
{
    for (int row = 0; row < 2; ++row) {
        UseMenuColour(pen, kMenuSeparatorLines[row]);
        pen.Line(x, y + row, x + w, y + row);
    }
}
