#include "ImageNaming.h"

#include <cstdio>
#include <cwctype>

namespace ImageNaming {

namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool EndsWithRvd(const std::wstring& s)
{
    static const wchar_t ext[] = L".rvd";
    if (s.size() < 4)
        return false;
    for (size_t i = 0; i < 4; ++i) {
        wchar_t c = s[s.size() - 4 + i];
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != ext[i])
            return false;
    }
    return true;
}
} // namespace

void SplitSetPath(const wchar_t* path, std::wstring& folder, std::wstring& base)
{
    const std::wstring p(path);
    size_t cut = 0;
    for (size_t i = p.size(); i > 0; --i)
        if (IsSeparator(p[i - 1])) {
            cut = i;
            break;
        }
    folder = p.substr(0, cut);
    base = p.substr(cut);
    if (EndsWithRvd(base))
        base.resize(base.size() - 4);
    if (base.size() > kMaxBaseChars)
        base.resize(kMaxBaseChars);
}

std::wstring FolderOf(const std::wstring& path)
{
    for (size_t i = path.size(); i > 1; --i)
        if (IsSeparator(path[i - 1]))
            return path.substr(0, i);
    return std::wstring();
}

std::wstring FileName(const std::wstring& folder, const std::wstring& base, uint32_t nameNumber)
{
    std::wstring name = folder + base;
    if (nameNumber != 0)
        name += std::to_wstring(nameNumber);
    return name + L".RVD";
}

std::wstring DiscLabel(const std::wstring& prefix, uint32_t counter)
{
    wchar_t digits[16];
    std::swprintf(digits, 16, L"%.3u", counter);
    return prefix + digits;
}

std::wstring IndexTempName(const std::wstring& folder, uint32_t n)
{
    return folder + L"Ind" + std::to_wstring(n) + L".tmp";
}

bool EndsWithSeparator(const wchar_t* path)
{
    size_t n = 0;
    while (path[n] != 0)
        ++n;
    return n > 0 && IsSeparator(path[n - 1]);
}

bool CopyOut(const std::wstring& text, wchar_t* out, unsigned long outChars)
{
    if (text.size() + 1 > outChars)
        return false;
    text.copy(out, text.size());
    out[text.size()] = 0;
    return true;
}

std::wstring FromUtf16(const char16_t* units, size_t count)
{
    std::wstring s;
    for (size_t i = 0; i < count && units[i] != 0; ++i) {
        uint32_t c = units[i];
        // A surrogate pair is one character of a name above U+FFFF, where wchar_t
        // can hold it; where wchar_t is a UTF-16 unit (Windows) the pair stays two.
        constexpr bool kWideHoldsPairs = sizeof(wchar_t) >= 4;
        if (kWideHoldsPairs && c >= 0xD800 && c < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(units[i + 1]) - 0xDC00);
            ++i;
        }
        s.push_back(static_cast<wchar_t>(c));
    }
    return s;
}

void ToUtf16(const std::wstring& text, char16_t* units, size_t count)
{
    if (count == 0)
        return;
    size_t i = 0;
    for (const wchar_t ch : text) {
        const uint32_t c = static_cast<uint32_t>(ch);
        if (c > 0xFFFF && c <= 0x10FFFF) {
            if (i + 2 >= count)
                break; // a pair is never split
            units[i++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units[i++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            if (i + 1 >= count)
                break;
            units[i++] = c > 0xFFFF ? u'\xFFFD' : static_cast<char16_t>(c);
        }
    }
    for (; i < count; ++i)
        units[i] = 0;
}

} // namespace ImageNaming
