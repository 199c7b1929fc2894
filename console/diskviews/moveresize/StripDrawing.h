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
// The partition: outline in its colour, the used share, its size text and name.
void DrawMainBlock(cairo_t* cr, int width, int height, int fileSystem, double usedRatio, long sizeMB,
                   const std::string& name);
