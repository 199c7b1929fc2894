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

} // namespace ImageNaming
