#include "Utf16Text.h"

#include <stdint.h>

namespace Utf16Text {

namespace {
constexpr bool kWideHoldsPairs = sizeof(wchar_t) >= 4;

bool IsHigh(uint32_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLow(uint32_t c) { return c >= 0xDC00 && c < 0xE000; }

// The units of one character: 1 or 2, written to out.
size_t Units(wchar_t ch, char16_t out[2])
{
    const uint32_t c = static_cast<uint32_t>(ch);
    if (c > 0xFFFF && c <= 0x10FFFF) {
        out[0] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        out[1] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        return 2;
    }
    out[0] = c > 0xFFFF ? u'\xFFFD' : static_cast<char16_t>(c);
    return 1;
}
} // namespace

bool FromUtf16(const char16_t* units, size_t count, CofranText& text)
{
    CofranText made;
    for (size_t i = 0; i < count && units[i] != 0; ++i) {
        uint32_t c = units[i];
        if (kWideHoldsPairs && IsHigh(c) && i + 1 < count && IsLow(units[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(units[i + 1]) - 0xDC00);
            ++i;
        }
        if (!made.append(static_cast<wchar_t>(c)))
            return false;
    }
    text = static_cast<CofranText&&>(made);
    return true;
}

size_t Utf16Units(const wchar_t* text)
{
    size_t n = 0;
    char16_t pair[2];
    for (; *text != 0; ++text)
        n += Units(*text, pair);
    return n;
}

void ToUtf16(const wchar_t* text, char16_t* units, size_t count)
{
    if (count == 0)
        return;
    size_t n = 0;
    bool cut = false;
    char16_t pair[2];
    for (; *text != 0 && !cut; ++text) {
        const size_t k = Units(*text, pair);
        for (size_t i = 0; i < k && !cut; ++i) {
            if (n == count - 1)
                cut = true;
            else
                units[n++] = pair[i];
        }
    }
    if (cut && n > 0 && IsHigh(units[n - 1]))
        --n; // a pair is never split
    for (size_t i = n; i < count; ++i)
        units[i] = u'\0';
}

} // namespace Utf16Text
