#include "StripDrawing.h"

#include <algorithm>

namespace {
void SetColour(cairo_t* cr, StripColour c)
{
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

void DrawText(cairo_t* cr, double x, double y, const std::string& text, double points = 12,
              cairo_font_weight_t weight = CAIRO_FONT_WEIGHT_NORMAL)
{
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_select_font_face(cr, "SimSun", CAIRO_FONT_SLANT_NORMAL, weight);
    cairo_set_font_size(cr, points);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text.c_str());
}
}  // namespace

StripColour FileSystemColour(int fileSystem)
{
    switch (fileSystem) {
    case 0:
    case 1:
        return {0, 182, 80};
    case 2:
        return {0, 143, 222};
    case 3:
        return {197, 21, 194};
    case 7:
        return {127, 127, 0};
    default:
        return {64, 64, 64};
    }
}

std::string StripFileSystemName(int fileSystem)
{
    switch (fileSystem) {
    case 0: return "FAT12";
    case 1: return "FAT16";
    case 2: return "FAT32";
    case 3: return "NTFS";
    case 4: case 8: case 10: return "Other";
    case 7: return "Unformatted";
    case 9: return "Other(BitLocker Encrypted)";
    default: return std::string();
    }
}

void DrawFreeBlock(cairo_t* cr, int width, int height)
{
    SetColour(cr, {144, 144, 144});
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);
}

void DrawBar(cairo_t* cr, int width, int height, int fileSystem, const char* picture)
{
    SetColour(cr, FileSystemColour(fileSystem));
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);
    cairo_surface_t* image = cairo_image_surface_create_from_png(picture);
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        cairo_set_source_surface(cr, image, 0, (height - cairo_image_surface_get_height(image)) / 2.0);
        cairo_paint(cr);
    }
    cairo_surface_destroy(image);
}

void DrawMainBlock(cairo_t* cr, int width, int height, int fileSystem, double usedRatio, long sizeMB,
                   const std::string& name, bool showSize)
{
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);
    const double usedWidth = std::max(0.0, width * std::min(usedRatio, 1.0) - 2);
    cairo_set_source_rgb(cr, 1, 1, 204 / 255.0);
    cairo_rectangle(cr, 3, 3, usedWidth, height - 6);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 2);
    cairo_move_to(cr, 3 + usedWidth, 3);
    cairo_line_to(cr, 3 + usedWidth, height - 3);
    cairo_stroke(cr);
    SetColour(cr, FileSystemColour(fileSystem));
    cairo_set_line_width(cr, 4);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_stroke(cr);
    DrawText(cr, 6, 18, name);
    if (showSize)
        DrawText(cr, 6, 35, std::to_string(sizeMB) + " MB");
}

void DrawUnallocatedBlock(cairo_t* cr, int width, int height, bool active, long sizeMB)
{
    if (active)
        SetColour(cr, {219, 213, 204});
    else
        SetColour(cr, {144, 144, 144});
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);
    SetColour(cr, {188, 188, 188});
    cairo_set_line_width(cr, 4);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_stroke(cr);
    DrawText(cr, 6, 18, "Unallocated");
    DrawText(cr, 6, 35, std::to_string(sizeMB) + " MB");
}

void DrawImproperDisk(cairo_t* cr, int width, int height, const std::string& title)
{
    SetColour(cr, {255, 255, 204});
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);
    SetColour(cr, {255, 255, 128});
    cairo_set_line_width(cr, 12);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_stroke(cr);
    DrawText(cr, 12, 28, title, 14, CAIRO_FONT_WEIGHT_BOLD);
}
