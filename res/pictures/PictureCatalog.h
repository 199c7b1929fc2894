// Every picture the console reads from "../res/": its file name (spelled exactly as
// the console asks for it), its size and how it is drawn.
#pragma once

#include <cairo.h>

#include <functional>
#include <string>
#include <vector>

struct PictureEntry {
    std::string name;
    int width;
    int height;
    std::function<void(cairo_t*, int, int)> paint;
};

const std::vector<PictureEntry>& PictureCatalog();

// The swatches of the partition colour legend ("partition-color.png"): each is filled
// with the dark shade the disk map's blocks (BlockShadesOf) give its kind.
struct LegendSwatch {
    const char* label;
    int x;            // left edge of the swatch
    int kind;         // enumFILE_SYSTEM_TYPE
    bool unallocated; // free space
    bool wholeDisk;   // a GPT or dynamic disk
};
const std::vector<LegendSwatch>& PartitionLegendSwatches();
// The window icon, drawn at 16 x 16 and written as a Windows icon file.
constexpr const char* kWindowIconName = "main16.ico";
void PaintWindowIcon(cairo_t* cr, int width, int height);
