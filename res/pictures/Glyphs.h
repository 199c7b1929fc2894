// The symbols the console's pictures show, each drawn into a square of the given
// size centred on (cx, cy), in the given state.
#pragma once

#include "PictureLook.h"

enum class Glyph {
    App,
    Disk,
    Backup,
    Restore,
    Clone,
    Check,
    Mount,
    Unmount,
    Option,
    Help,
    Contents,
    FolderOpen,
    FolderClosed,
    Optical,
    Volume,
    Computer,
    File,
    Information,
    Warning,
    Question,
    Error,
    Success,
};

void DrawGlyph(cairo_t* cr, Glyph glyph, double cx, double cy, double size, look::State state = look::State::Normal);
