// Text forms at the burner's borders: the caller's wide paths and names become the
// narrow text of the tools' command lines (UTF-8, the Linux build's code page).
#pragma once

#include <string>

std::string BurnNarrow(const wchar_t* text);
std::wstring BurnWide(const std::string& text);
// The folder of a path (up to its last separator, without it); empty when none.
std::string BurnFolderOf(const std::string& path);
