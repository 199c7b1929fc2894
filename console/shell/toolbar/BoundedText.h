// Copies text into a fixed character array without ever writing past it.
#pragma once

#include <cstddef>

// Copies at most capacity - 1 bytes of src and terminates dst. A text that does not
// fit is cut at a UTF-8 character boundary, so GTK never gets half a character.
// A null src gives the empty text. Returns the number of bytes copied.
size_t CopyBoundedText(char* dst, size_t capacity, const char* src);

template <size_t N>
size_t CopyBoundedText(char (&dst)[N], const char* src)
{
    return CopyBoundedText(dst, N, src);
}
