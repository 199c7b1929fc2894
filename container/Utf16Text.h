// Text stored in image files is UTF-16; in memory the container uses wchar_t.
// Characters above U+FFFF are surrogate pairs in the file; they are one wchar_t
// where wchar_t holds any character, and stay two units where wchar_t is itself a
// UTF-16 unit (Windows).
#pragma once

#include <cstddef>
#include <string>

namespace Utf16Text {

// The text of units up to the first NUL or count units.
std::wstring FromUtf16(const char16_t* units, size_t count);

// text as UTF-16 units, without a NUL; a character no UTF-16 can hold becomes U+FFFD.
std::u16string ToUtf16(const std::wstring& text);

// text into a field of count units, NUL-padded, always terminated; a surrogate pair
// that does not fit whole is left out rather than split.
void ToUtf16(const std::wstring& text, char16_t* units, size_t count);

} // namespace Utf16Text
