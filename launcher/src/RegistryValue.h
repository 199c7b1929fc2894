// Reading a registry value whole, NUL-terminated by the reader.
#pragma once

#include <windows.h>

#include <vector>

namespace loader {

// The value's bytes with two NULs added past them (so text and multi-strings end
// even when the stored data does not), and the stored size. maxBytes (0: no limit)
// refuses a longer value as a too-small buffer would. False when it cannot be read.
bool ReadRegistryValue(HKEY key, const char* name, DWORD maxBytes, std::vector<char>& data, DWORD& size);

} // namespace loader
