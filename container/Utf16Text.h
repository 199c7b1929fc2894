// Text stored in image files is UTF-16; in memory the container uses wchar_t.
// Characters above U+FFFF are surrogate pairs in the file; they are one wchar_t
// where wchar_t holds any character, and stay two units where wchar_t is itself a
// UTF-16 unit (Windows).
#pragma once

#include <stddef.h>

#include "CofranText.h"

namespace Utf16Text {

// text gets the units up to the first NUL or count units; false when memory runs out.
bool FromUtf16(const char16_t* units, size_t count, CofranText& text);

// The UTF-16 units text (NUL-terminated) takes, without its NUL.
size_t Utf16Units(const wchar_t* text);

// text into a field of count units, NUL-padded, always terminated; a surrogate pair
// that does not fit whole is left out rather than split. A character no UTF-16 can
// hold becomes U+FFFD.
void ToUtf16(const wchar_t* text, char16_t* units, size_t count);

} // namespace Utf16Text
