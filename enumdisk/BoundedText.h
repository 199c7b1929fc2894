// Copies text handed out by another module into a fixed field of a record.
#pragma once

#include <cstddef>
#include <cstring>

// Copies at most size - 1 characters of text into out and always terminates it; the
// rest of out is left as it was. A null text copies nothing but the terminator.
inline void CopyBoundedText(char* out, size_t size, const char* text)
{
    if (size == 0)
        return;
    size_t n = 0;
    if (text != nullptr)
        while (n + 1 < size && text[n] != '\0')
            ++n;
    if (n > 0)
        std::memcpy(out, text, n);
    out[n] = '\0';
}
