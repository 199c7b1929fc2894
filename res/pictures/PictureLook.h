// The one look of every console picture: a small palette and the shapes the
// pictures are built from (rounded panels, soft gradients, plain text).
#pragma once

#include <cairo.h>

namespace look {

struct Colour {
    double r, g, b;
};

constexpr Colour Rgb(unsigned rgb)
{
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

// Palette.
constexpr Colour kNavy = Rgb(0x28468C);
constexpr Colour kBlue = Rgb(0x3D6FC4);
constexpr Colour kSky = Rgb(0xA9C6EE);
constexpr Colour kMist = Rgb(0xE6EADC);
constexpr Colour kPaper = Rgb(0xECE9D8);
constexpr Colour kWhite = Rgb(0xFFFFFF);
constexpr Colour kInk = Rgb(0x1E2A3A);
constexpr Colour kAmber = Rgb(0xF2A51A);
constexpr Colour kGreen = Rgb(0x3C9A4A);
constexpr Colour kLeaf = Rgb(0x7FBF6A);
constexpr Colour kRed = Rgb(0xC8322D);
constexpr Colour kGrey = Rgb(0x9A9A9A);
constexpr Colour kFrame = Rgb(0x7F9DB9);

// The states a picture is drawn in.
enum class State { Normal, Hover, Press, Disable };

void SetColour(cairo_t* cr, Colour c, double alpha = 1.0);
Colour Mix(Colour a, Colour b, double t);
// A colour as a state shows it: lighter on hover, darker when pressed, grey when disabled.
Colour InState(Colour c, State state);

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
// Vertical gradient from top to bottom over the rectangle.
void FillVertical(cairo_t* cr, double x, double y, double w, double h, Colour top, Colour bottom);
// Text in the console's sans face, its left edge at x and its baseline at y.
void Text(cairo_t* cr, const char* text, double x, double y, double size, Colour c, bool bold = false);
// Text centred on (cx, baseline y).
void TextCentred(cairo_t* cr, const char* text, double cx, double y, double size, Colour c, bool bold = false);

} // namespace look
