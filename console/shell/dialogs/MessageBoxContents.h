// What a message box shows for its icon and button-set values.
#pragma once

#include "DLG_RESULT.h"

#include <vector>

enum GTK_MB_ICON_TYPE {
    GTK_MB_ICON_INFORMATION = 0,
    GTK_MB_ICON_WARNING = 1,
    GTK_MB_ICON_QUESTION = 2,
    GTK_MB_ICON_ERROR = 3,
    GTK_MB_ICON_RIGHT = 4, // success
};

enum GTK_MB_TYPE {
    GTK_MB_OK = 0,
    GTK_MB_YESNO = 1,
    GTK_MB_OKCANCEL = 2,
};

struct MessageBoxButton {
    const char* label; // with its mnemonic underscore
    DLG_RESULT result;
};

// Null for a value with no picture.
const char* MessageBoxIconPicture(GTK_MB_ICON_TYPE icon);
// Empty for a value with no buttons.
std::vector<MessageBoxButton> MessageBoxButtons(GTK_MB_TYPE type);
