#include "Glyphs.h"

#include <cmath>

using namespace look;

namespace {

// A disk drawn as a flat rounded slab with a light and a spindle.
void DiskShape(cairo_t* cr, double x, double y, double w, double h, State s)
{
    RoundedRect(cr, x, y, w, h, h * 0.25);
    cairo_pattern_t* body = cairo_pattern_create_linear(0, y, 0, y + h);
    const Colour top = InState(Rgb(0xD9E2EE), s);
    const Colour bottom = InState(Rgb(0x8A9BB3), s);
    cairo_pattern_add_color_stop_rgb(body, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(body, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, body);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(body);
    SetColour(cr, InState(kNavy, s));
    cairo_set_line_width(cr, std::fmax(1.0, h * 0.08));
    cairo_stroke(cr);
    SetColour(cr, InState(kLeaf, s));
    cairo_arc(cr, x + w * 0.82, y + h * 0.5, h * 0.12, 0, 2 * M_PI);
    cairo_fill(cr);
}

void Arrow(cairo_t* cr, double x1, double y1, double x2, double y2, double width, Colour c)
{
    const double angle = std::atan2(y2 - y1, x2 - x1);
    const double head = width * 2.2;
    SetColour(cr, c);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2 - std::cos(angle) * head * 0.6, y2 - std::sin(angle) * head * 0.6);
    cairo_stroke(cr);
    cairo_move_to(cr, x2, y2);
    cairo_line_to(cr, x2 - std::cos(angle - 0.5) * head, y2 - std::sin(angle - 0.5) * head);
    cairo_line_to(cr, x2 - std::cos(angle + 0.5) * head, y2 - std::sin(angle + 0.5) * head);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void Badge(cairo_t* cr, double cx, double cy, double r, Colour fill, State s)
{
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_pattern_t* shade = cairo_pattern_create_radial(cx - r * 0.3, cy - r * 0.4, r * 0.1, cx, cy, r);
    const Colour light = InState(Mix(fill, kWhite, 0.45), s);
    const Colour base = InState(fill, s);
    cairo_pattern_add_color_stop_rgb(shade, 0, light.r, light.g, light.b);
    cairo_pattern_add_color_stop_rgb(shade, 1, base.r, base.g, base.b);
    cairo_set_source(cr, shade);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(shade);
    SetColour(cr, InState(Mix(fill, Rgb(0x000000), 0.35), s));
    cairo_set_line_width(cr, std::fmax(1.0, r * 0.08));
    cairo_stroke(cr);
}

void Tick(cairo_t* cr, double cx, double cy, double r, Colour c)
{
    SetColour(cr, c);
    cairo_set_line_width(cr, r * 0.28);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, cx - r * 0.5, cy);
    cairo_line_to(cr, cx - r * 0.12, cy + r * 0.4);
    cairo_line_to(cr, cx + r * 0.55, cy - r * 0.45);
    cairo_stroke(cr);
}

void Folder(cairo_t* cr, double x, double y, double w, double h, bool open, State s)
{
    SetColour(cr, InState(Rgb(0xD9A431), s));
    RoundedRect(cr, x, y + h * 0.12, w * 0.45, h * 0.3, h * 0.08);
    cairo_fill(cr);
    SetColour(cr, InState(Rgb(0xE8B84A), s));
    RoundedRect(cr, x, y + h * 0.25, w, h * 0.72, h * 0.08);
    cairo_fill(cr);
    if (open) {
        SetColour(cr, InState(Rgb(0xF6D47A), s));
        cairo_move_to(cr, x + w * 0.15, y + h * 0.45);
        cairo_line_to(cr, x + w, y + h * 0.45);
        cairo_line_to(cr, x + w * 0.85, y + h * 0.97);
        cairo_line_to(cr, x, y + h * 0.97);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
}

} // namespace

void DrawGlyph(cairo_t* cr, Glyph glyph, double cx, double cy, double size, State s)
{
    const double half = size / 2;
    const double x = cx - half;
    const double y = cy - half;
    cairo_save(cr);
    switch (glyph) {
    case Glyph::App:
        DiskShape(cr, x + size * 0.05, y + size * 0.45, size * 0.9, size * 0.35, s);
        DiskShape(cr, x + size * 0.05, y + size * 0.12, size * 0.9, size * 0.35, s);
        Badge(cr, x + size * 0.78, y + size * 0.78, size * 0.2, kBlue, s);
        Arrow(cr, x + size * 0.78, y + size * 0.68, x + size * 0.78, y + size * 0.9, size * 0.06, kWhite);
        break;
    case Glyph::Disk:
    case Glyph::Volume:
        DiskShape(cr, x + size * 0.06, y + size * 0.3, size * 0.88, size * 0.4, s);
        break;
    case Glyph::Backup:
        DiskShape(cr, x + size * 0.06, y + size * 0.55, size * 0.88, size * 0.35, s);
        Arrow(cr, cx, y + size * 0.5, cx, y + size * 0.05, size * 0.1, InState(kGreen, s));
        break;
    case Glyph::Restore:
        DiskShape(cr, x + size * 0.06, y + size * 0.55, size * 0.88, size * 0.35, s);
        Arrow(cr, cx, y + size * 0.05, cx, y + size * 0.5, size * 0.1, InState(kBlue, s));
        break;
    case Glyph::Clone:
        DiskShape(cr, x, y + size * 0.1, size * 0.55, size * 0.3, s);
        DiskShape(cr, x + size * 0.45, y + size * 0.6, size * 0.55, size * 0.3, s);
        Arrow(cr, x + size * 0.3, y + size * 0.45, x + size * 0.55, y + size * 0.62, size * 0.07, InState(kAmber, s));
        break;
    case Glyph::Check:
        DiskShape(cr, x + size * 0.02, y + size * 0.5, size * 0.7, size * 0.35, s);
        Badge(cr, x + size * 0.7, y + size * 0.35, size * 0.27, kGreen, s);
        Tick(cr, x + size * 0.7, y + size * 0.35, size * 0.27, kWhite);
        break;
    case Glyph::Mount:
    case Glyph::Unmount:
        DiskShape(cr, x + size * 0.06, y + size * 0.55, size * 0.88, size * 0.35, s);
        SetColour(cr, InState(glyph == Glyph::Mount ? kGreen : kRed, s));
        RoundedRect(cr, cx - size * 0.18, y + size * 0.08, size * 0.36, size * 0.3, size * 0.06);
        cairo_fill(cr);
        cairo_set_line_width(cr, size * 0.06);
        cairo_move_to(cr, cx - size * 0.08, y + size * 0.38);
        cairo_line_to(cr, cx - size * 0.08, y + size * 0.5);
        cairo_move_to(cr, cx + size * 0.08, y + size * 0.38);
        cairo_line_to(cr, cx + size * 0.08, y + size * 0.5);
        cairo_stroke(cr);
        break;
    case Glyph::Option: {
        SetColour(cr, InState(Rgb(0x6B7A90), s));
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4;
            cairo_save(cr);
            cairo_translate(cr, cx, cy);
            cairo_rotate(cr, a);
            cairo_rectangle(cr, -size * 0.07, -size * 0.45, size * 0.14, size * 0.2);
            cairo_restore(cr);
            cairo_fill(cr);
        }
        cairo_arc(cr, cx, cy, size * 0.32, 0, 2 * M_PI);
        cairo_fill(cr);
        SetColour(cr, kWhite);
        cairo_arc(cr, cx, cy, size * 0.12, 0, 2 * M_PI);
        cairo_fill(cr);
        break;
    }
    case Glyph::Help:
    case Glyph::Question:
        Badge(cr, cx, cy, size * 0.45, kBlue, s);
        TextCentred(cr, "?", cx, cy + size * 0.2, size * 0.6, kWhite, true);
        break;
    case Glyph::Contents:
        SetColour(cr, InState(kBlue, s));
        RoundedRect(cr, x + size * 0.12, y + size * 0.1, size * 0.76, size * 0.8, size * 0.06);
        cairo_fill(cr);
        SetColour(cr, kWhite);
        cairo_rectangle(cr, x + size * 0.22, y + size * 0.18, size * 0.58, size * 0.64);
        cairo_fill(cr);
        SetColour(cr, InState(kNavy, s));
        cairo_set_line_width(cr, std::fmax(1.0, size * 0.05));
        for (int i = 0; i < 4; ++i) {
            cairo_move_to(cr, x + size * 0.3, y + size * (0.3 + 0.13 * i));
            cairo_line_to(cr, x + size * 0.72, y + size * (0.3 + 0.13 * i));
        }
        cairo_stroke(cr);
        break;
    case Glyph::FolderOpen:
    case Glyph::FolderClosed:
        Folder(cr, x + size * 0.05, y + size * 0.08, size * 0.9, size * 0.84, glyph == Glyph::FolderOpen, s);
        break;
    case Glyph::Optical:
        cairo_arc(cr, cx, cy, size * 0.45, 0, 2 * M_PI);
        SetColour(cr, InState(Rgb(0xC9D6E8), s));
        cairo_fill_preserve(cr);
        SetColour(cr, InState(kGrey, s));
        cairo_set_line_width(cr, std::fmax(1.0, size * 0.05));
        cairo_stroke(cr);
        SetColour(cr, InState(kSky, s));
        cairo_arc(cr, cx, cy, size * 0.3, -0.6, 0.6);
        cairo_stroke(cr);
        SetColour(cr, kWhite);
        cairo_arc(cr, cx, cy, size * 0.1, 0, 2 * M_PI);
        cairo_fill(cr);
        break;
    case Glyph::Computer:
        SetColour(cr, InState(kNavy, s));
        RoundedRect(cr, x + size * 0.08, y + size * 0.1, size * 0.84, size * 0.58, size * 0.06);
        cairo_fill(cr);
        FillVertical(cr, x + size * 0.15, y + size * 0.17, size * 0.7, size * 0.44, InState(kSky, s), InState(kBlue, s));
        SetColour(cr, InState(kGrey, s));
        cairo_rectangle(cr, x + size * 0.4, y + size * 0.68, size * 0.2, size * 0.12);
        cairo_rectangle(cr, x + size * 0.22, y + size * 0.8, size * 0.56, size * 0.1);
        cairo_fill(cr);
        break;
    case Glyph::File:
        SetColour(cr, InState(kWhite, s));
        cairo_move_to(cr, x + size * 0.2, y + size * 0.06);
        cairo_line_to(cr, x + size * 0.62, y + size * 0.06);
        cairo_line_to(cr, x + size * 0.82, y + size * 0.26);
        cairo_line_to(cr, x + size * 0.82, y + size * 0.94);
        cairo_line_to(cr, x + size * 0.2, y + size * 0.94);
        cairo_close_path(cr);
        cairo_fill_preserve(cr);
        SetColour(cr, InState(kFrame, s));
        cairo_set_line_width(cr, std::fmax(1.0, size * 0.06));
        cairo_stroke(cr);
        break;
    case Glyph::Information:
        Badge(cr, cx, cy, size * 0.45, kBlue, s);
        TextCentred(cr, "i", cx, cy + size * 0.22, size * 0.6, kWhite, true);
        break;
    case Glyph::Warning:
        cairo_move_to(cr, cx, y + size * 0.06);
        cairo_line_to(cr, x + size * 0.96, y + size * 0.9);
        cairo_line_to(cr, x + size * 0.04, y + size * 0.9);
        cairo_close_path(cr);
        SetColour(cr, InState(kAmber, s));
        cairo_fill_preserve(cr);
        SetColour(cr, InState(Rgb(0x9A6A00), s));
        cairo_set_line_width(cr, std::fmax(1.0, size * 0.05));
        cairo_stroke(cr);
        TextCentred(cr, "!", cx, y + size * 0.82, size * 0.55, kInk, true);
        break;
    case Glyph::Error:
        Badge(cr, cx, cy, size * 0.45, kRed, s);
        SetColour(cr, kWhite);
        cairo_set_line_width(cr, size * 0.12);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(cr, cx - size * 0.17, cy - size * 0.17);
        cairo_line_to(cr, cx + size * 0.17, cy + size * 0.17);
        cairo_move_to(cr, cx + size * 0.17, cy - size * 0.17);
        cairo_line_to(cr, cx - size * 0.17, cy + size * 0.17);
        cairo_stroke(cr);
        break;
    case Glyph::Success:
        Badge(cr, cx, cy, size * 0.45, kGreen, s);
        Tick(cr, cx, cy, size * 0.45, kWhite);
        break;
    }
    cairo_restore(cr);
}
