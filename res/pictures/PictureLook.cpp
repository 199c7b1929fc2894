#include "PictureLook.h"

#include <cmath>

namespace look {

void SetColour(cairo_t* cr, Colour c, double alpha)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

Colour Mix(Colour a, Colour b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour InState(Colour c, State state)
{
    switch (state) {
    case State::Hover: return Mix(c, kWhite, 0.25);
    case State::Press: return Mix(c, Rgb(0x000000), 0.2);
    case State::Disable: {
        const double grey = 0.3 * c.r + 0.59 * c.g + 0.11 * c.b;
        return Mix({grey, grey, grey}, kWhite, 0.35);
    }
    case State::Normal: break;
    }
    return c;
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius)
{
    const double r = std::fmin(radius, std::fmin(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void FillVertical(cairo_t* cr, double x, double y, double w, double h, Colour top, Colour bottom)
{
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(gradient, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.r, bottom.g, bottom.b);
    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source(cr, gradient);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
}

void Text(cairo_t* cr, const char* text, double x, double y, double size, Colour c, bool bold)
{
    cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    SetColour(cr, c);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text);
}

void TextCentred(cairo_t* cr, const char* text, double cx, double y, double size, Colour c, bool bold)
{
    cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    Text(cr, text, cx - extents.width / 2 - extents.x_bearing, y, size, c, bold);
}

} // namespace look
