#include "Utf16Text.h"

#include <cstdint>

namespace Utf16Text {

namespace {
constexpr bool kWideHoldsPairs = sizeof(wchar_t) >= 4;

bool IsHigh(uint32_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLow(uint32_t c) { return c >= 0xDC00 && c < 0xE000; }
} // namespace

std::wstring FromUtf16(const char16_t* units, size_t count)
{
    std::wstring s;
    for (size_t i = 0; i < count && units[i] != 0; ++i) {
        uint32_t c = units[i];
        if (kWideHoldsPairs && IsHigh(c) && i + 1 < count && IsLow(units[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(units[i + 1]) - 0xDC00);
            ++i;
        }
        s.push_back(static_cast<wchar_t>(c));
    }
    return s;
}

std::u16string ToUtf16(const std::wstring& text)
{
    std::u16string units;
    units.reserve(text.size());
    for (const wchar_t ch : text) {
        const uint32_t c = static_cast<uint32_t>(ch);
        if (c > 0xFFFF && c <= 0x10FFFF) {
            units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            units.push_back(c > 0xFFFF ? u'\xFFFD' : static_cast<char16_t>(c));
        }
    }
    return units;
}

void ToUtf16(const std::wstring& text, char16_t* units, size_t count)
{
    if (count == 0)
        return;
    const std::u16string all = ToUtf16(text);
    size_t n = all.size() < count - 1 ? all.size() : count - 1;
    if (n > 0 && n < all.size() && IsHigh(all[n - 1]))
        --n; // a pair is never split
    for (size_t i = 0; i < count; ++i)
        units[i] = i < n ? all[i] : u'\0';
}

} // namespace Utf16Text
