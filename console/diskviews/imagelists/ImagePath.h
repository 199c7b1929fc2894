// An image-set path as the command object takes it: wide characters in a zeroed buffer
// of a fixed capacity, never written past it.
#pragma once

#include <cstddef>
#include <vector>

// The path in the C library's locale, cut to capacity - 1 characters and ended by a
// zero; bytes the locale cannot read are taken one by one.
std::vector<wchar_t> WidePathFor(const char* path, size_t capacity);
