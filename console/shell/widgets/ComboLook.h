// What the console's combo box paints over GTK's own drawing, decided without a
// display: the fill inside the frame, the focus band and the text colour, and where
// the arrow picture goes.
#pragma once

#include <string>

enum BUTTON_STATE { kComboNormal = 0, kComboHover = 1 };

struct ComboRect {
    int x;
    int y;
    int width;
    int height;
};

struct ComboLook {
    ComboRect fill;       // inside the frame's outer ring
    unsigned fillRgb;     // white, or the dialog grey when insensitive
    bool focusBand;       // dashed rectangle and selection band drawn
    ComboRect focusRect;  // the dashed outline
    ComboRect band;       // the selection band
    unsigned bandRgb;
    unsigned textRgb;
    int textX;
    int textY;
    std::string arrowPath;
    int arrowX;
    int arrowY;
};

// (x, y, width, height) is the combo box's allocation.
ComboLook ComboLookFor(const ComboRect& allocation, bool sensitive, bool focused, int state);

constexpr double kComboFontSize = 12.0;
