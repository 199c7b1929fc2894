// Converts text between code sets with iconv, writing only whole characters.
#pragma once

#include <cstddef>

class CTextConverter {
public:
    // Converts inBytes bytes of in from code set "from" into out, at most outBytes
    // bytes. Output stops before a character that does not fit. An input sequence that
    // "from" cannot read is replaced by one replacement character (in code set "to") and
    // skipped one input unit (unitBytes) at a time. Returns the bytes written.
    static size_t Convert(const char* from, const char* to, const char* in, size_t inBytes, size_t unitBytes,
                          char* out, size_t outBytes, const char* replacement, size_t replacementBytes);
    // True when the bytes are well-formed UTF-8.
    static bool IsUtf8(const char* text, size_t bytes);
};
