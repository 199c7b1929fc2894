// The bytes a password stands for: its UTF-8 form, whatever the locale of the
// process. A console in a UTF-8 locale and an engine in the "C" locale must derive
// the same key from the same characters, or a set written by one cannot be read
// by the other.
#pragma once

#include <cstddef>

namespace PasswordText {

// Writes the UTF-8 form of password (NUL-terminated wide text) to out, zero-filled
// up to outSize, and its byte count to *length. Where wchar_t is a UTF-16 unit a
// surrogate pair is one character. False, with out zeroed, for a lone surrogate, a
// value above U+10FFFF, or a form that does not fit outSize - 1 bytes.
bool ToUtf8(const wchar_t* password, unsigned char* out, size_t outSize, unsigned long* length);

} // namespace PasswordText
