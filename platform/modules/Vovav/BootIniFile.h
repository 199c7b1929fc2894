// The boot.ini of a volume, read and written whole. root is "X:" or a volume path
// "\\?\Volume{...}" without its trailing backslash.
#pragma once

#include <string>

bool ReadBootIni(const std::string& root, std::string& text);
bool WriteBootIni(const std::string& root, const std::string& text);
