#include "WizardHead.h"

#include <pango/pangocairo.h>

#include <algorithm>

#include "ResPicture.h"

namespace {

constexpr int kHeadTextLeft = 12;
constexpr int kHeadPictureRoom = 100 + 8;
constexpr int kWidestHead = 760; // fits an 800-pixel screen with the window's frame

// Draws text with its baseline-free top-left at (x, y) less the font's ascent, so
// the given y is where the text's baseline sits, as the console's painters place it.
// maxWidth > 0: the font is made smaller, down to 8 points, until the text fits.
void DrawHeadText(cairo_t* cr, const std::string& text, const char* font, double x, double y, int maxWidth = 0)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* description = pango_font_description_from_string(font);
    pango_layout_set_font_description(layout, description);
    pango_layout_set_text(layout, text.c_str(), -1);
    for (int size = pango_font_description_get_size(description) / PANGO_SCALE; maxWidth > 0 && size > 8; --size) {
        int width = 0, height = 0;
        pango_layout_get_pixel_size(layout, &width, &height);
        if (width <= maxWidth)
            break;
        pango_font_description_set_size(description, (size - 1) * PANGO_SCALE);
        pango_layout_set_font_description(layout, description);
    }
    const int baseline = pango_layout_get_baseline(layout) / PANGO_SCALE;
    cairo_move_to(cr, x, y - baseline);
    pango_cairo_show_layout(cr, layout);
    pango_font_description_free(description);
    g_object_unref(layout);
}

} // namespace

std::vector<int> WizardHeadTileOffsets(int width, int step)
{
    std::vector<int> offsets;
    if (step <= 0)
        return offsets;
    for (int x = 0; x < width; x += step)
        offsets.push_back(x);
    return offsets;
}

void PaintWizardHead(cairo_t* cr, int width, const WizardHeadLook& look, const std::string& title,
                     const std::string& subtitle)
{
    for (int x : WizardHeadTileOffsets(width, look.tileStep))
        PaintResPicture(cr, look.tilePicture, x, 0);
    PaintResPicture(cr, look.wizardPicture, width - 100, 2);
    cairo_set_source_rgb(cr, 1, 1, 1);
    // The texts end before the wizard's picture.
    const int room = width - kHeadTextLeft - kHeadPictureRoom;
    if (!title.empty())
        DrawHeadText(cr, title, "SimSun Bold 15", kHeadTextLeft, 30, room);
    if (!subtitle.empty())
        DrawHeadText(cr, subtitle, "SimSun Bold 12", kHeadTextLeft, 55, room);
}

namespace {

int TextWidth(GtkWidget* widget, const std::string& text, const char* font)
{
    if (text.empty())
        return 0;
    PangoLayout* layout = gtk_widget_create_pango_layout(widget, text.c_str());
    PangoFontDescription* description = pango_font_description_from_string(font);
    pango_layout_set_font_description(layout, description);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    pango_font_description_free(description);
    g_object_unref(layout);
    return width;
}

} // namespace

int WizardHeadWidthFor(GtkWidget* head, const std::string& title, const std::string& subtitle)
{
    const int text = std::max(TextWidth(head, title, "SimSun Bold 15"), TextWidth(head, subtitle, "SimSun Bold 12"));
    // A small screen's window cannot be wider: the painter then makes the text smaller.
    return std::min(kHeadTextLeft + text + kHeadPictureRoom, kWidestHead);
}

void PaintWizardHelpArea(cairo_t* cr, int width, int height)
{
    cairo_set_source_rgb(cr, 0xE6 / 255.0, 0xEA / 255.0, 0xDC / 255.0);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);
    PaintResPicture(cr, "../res/second-help-icon-24x24.png", 2, 2);
    cairo_set_source_rgb(cr, 0, 0, 0);
    DrawHeadText(cr, "Help", "SimSun 12", 30, 18);
}

int PaintWrappedText(cairo_t* cr, const std::vector<std::string>& lines, double x, double y, int width)
{
    std::string paragraph;
    for (const std::string& line : lines) {
        if (!paragraph.empty() && paragraph.back() != ' ')
            paragraph += ' ';
        paragraph += line;
    }
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* description = pango_font_description_from_string("SimSun 9");
    pango_layout_set_font_description(layout, description);
    pango_layout_set_width(layout, width > 0 ? width * PANGO_SCALE : -1);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    pango_layout_set_text(layout, paragraph.c_str(), -1);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    pango_font_description_free(description);
    g_object_unref(layout);
    return h;
}

void PaintWrappedTextInto(GtkWidget* area, const std::vector<std::string>& lines, double x, double y)
{
    cairo_t* cr = gdk_cairo_create(area->window);
    const int used = PaintWrappedText(cr, lines, x, y, area->allocation.width - 2 * static_cast<int>(x));
    cairo_destroy(cr);
    const int need = static_cast<int>(y) + used + 6;
    if (need > area->allocation.height) {
        int width = -1;
        gtk_widget_get_size_request(area, &width, nullptr);
        gtk_widget_set_size_request(area, width, need);
    }
}

void PaintTextLines(cairo_t* cr, const std::vector<std::string>& lines, double x, double firstY, double step)
{
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_select_font_face(cr, "SimSun", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    double y = firstY;
    for (const std::string& line : lines) {
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, line.c_str());
        y += step;
    }
}
