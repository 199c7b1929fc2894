// Texts of the tree lists through the text module ("Common"): file-system text made
// ready for display, display text cut to a cell's width, and UTF-16 volume labels.
#pragma once

#include <cstddef>
#include <string>

// File-system text (UTF-8, or the FAT volumes' code page) as GTK shows it. Without the
// text module the text is returned as it is.
std::string ListDisplayText(const std::string& text);

// Display text cut to a cell width in pixels ("..." at the end when cut), as the
// device list's first column shows it. False when the text module cannot be opened:
// the cell is then left undrawn.
bool ListCutDisplayText(const std::string& display, int width, std::string& out);

// A volume label of at most units UTF-16 code units (ending at the first zero) as
// display text.
std::string ListLabelText(const char16_t* label, size_t units);
