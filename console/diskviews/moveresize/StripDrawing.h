// The look of the move/resize strip, drawn on a cairo context of one block.
#pragma once

#include <cairo.h>

#include <string>

struct StripColour {
    int r, g, b;
};

// The colour of a file system (enumFILE_SYSTEM_TYPE value).
StripColour FileSystemColour(int fileSystem);
// The name the strip shows for a file system; empty where the name stays as it was.
std::string StripFileSystemName(int fileSystem);

void DrawFreeBlock(cairo_t* cr, int width, int height);
void DrawBar(cairo_t* cr, int width, int height, int fileSystem, const char* picture);
// The partition: outline in its colour, the used share, its name and (when showSize)
// its size text.
void DrawMainBlock(cairo_t* cr, int width, int height, int fileSystem, double usedRatio, long sizeMB,
                   const std::string& name, bool showSize = true);
// Free space shown as a block of its own: lighter while the block takes drags.
void DrawUnallocatedBlock(cairo_t* cr, int width, int height, bool active, long sizeMB);
// Free space of a disk the strip cannot lay out, titled "GPT Disk" and so on.
void DrawImproperDisk(cairo_t* cr, int width, int height, const std::string& title);
