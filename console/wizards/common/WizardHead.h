// The painted head of a wizard (a tiled band, the wizard's picture at the right, the
// page's title and subtitle in white) and its help area (background, help picture
// and the word "Help"). Both draw on any cairo surface, so tests read the pixels of
// an image surface.
#pragma once

#include <cairo.h>
#include <gtk/gtk.h>

#include <string>
#include <vector>

struct WizardHeadLook {
    const char* tilePicture;   // tiled from the left edge
    int tileStep;              // pixels between tile starts
    const char* wizardPicture; // at (width - 100, 2)
};

// x positions of the tiles across a head of this width.
std::vector<int> WizardHeadTileOffsets(int width, int step);

void PaintWizardHead(cairo_t* cr, int width, const WizardHeadLook& look, const std::string& title,
                     const std::string& subtitle);

// The width a head needs so that its title and subtitle end before the wizard's
// picture (painted 100 pixels from the right edge).
int WizardHeadWidthFor(GtkWidget* head, const std::string& title, const std::string& subtitle);

// Lines of black "SimSun" 12 text, the first baseline at (x, firstY), step apart:
// the description frames of the wizard pages.
void PaintTextLines(cairo_t* cr, const std::vector<std::string>& lines, double x, double firstY, double step);

// The lines of one paragraph, joined and wrapped to width, in black "SimSun" 12, the
// first line's top at (x, y). Returns the height the text took, so that an area too
// low for it can ask for more.
int PaintWrappedText(cairo_t* cr, const std::vector<std::string>& lines, double x, double y, int width);

// Paints the paragraph into a drawing area and makes the area as high as the text
// needs (its width stays).
void PaintWrappedTextInto(GtkWidget* area, const std::vector<std::string>& lines, double x, double y);

// The help area: background #E6EADC, the help picture at (2, 2), "Help" in black at (30, 18).
void PaintWizardHelpArea(cairo_t* cr, int width, int height);
