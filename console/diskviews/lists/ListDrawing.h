// Drawing of the console's tree lists on a cairo context: header cells, cell
// backgrounds and texts, check pictures, the Type column's swatch and the disk title
// row. Texts are UTF-8 in the face "SimSun" (fontconfig falls back where it is absent).
#pragma once

#include <cairo.h>

#include <string>

#include "ListColours.h"

struct ListRect {
    int x, y, w, h;
};

// A column header cell; raise lifts the title by that many pixels.
void DrawListHeaderCell(cairo_t* cr, const ListRect& cell, const char* title, double alignment, double raise);

// White, or the selection colour on the selected row.
void FillListCell(cairo_t* cr, const ListRect& cell, bool selected);

// Pixel size of text at the given point size.
void ListTextSize(cairo_t* cr, const char* text, int size, bool bold, int& width, int& height);

// Draws text whose base line sits at y = baseline (the lists place it at the cell's
// middle plus half the text's height); white on a selected row, grey on a row that
// cannot be chosen, else black.
void DrawListText(cairo_t* cr, const char* text, double x, double baseline, int size, bool bold, bool white,
                  bool grey = false);

// The x where a cell's text starts: left + (cell width - text width - 8) x alignment.
double ListTextX(double left, int cellWidth, int textWidth, double alignment);

// "../res/check_*.png" for the four check states.
const char* CheckPicturePath(bool checked, bool selected);
void DrawCheckPicture(cairo_t* cr, bool checked, bool selected, double x, double y);

// Three squares at the start of a cell of height h: white, black, then the colour.
void DrawTypeSwatch(cairo_t* cr, int x, int y, int h, ListRgb colour);

// A disk row: the selection band, the bold title and the gradient line under it.
void DrawDiskTitleRow(cairo_t* cr, int x, int y, int width, const std::string& title, bool selected);
