#include "ImageNaming.h"

namespace ImageNaming {

namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool EndsWithRvd(const CofranText& s)
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

bool SplitSetPath(const wchar_t* path, CofranText& folder, CofranText& base)
{
    const size_t length = CofranText::Length(path);
    size_t cut = 0;
    for (size_t i = length; i > 0; --i)
        if (IsSeparator(path[i - 1])) {
            cut = i;
            break;
        }
    if (!folder.assign(path, cut) || !base.assign(path + cut, length - cut))
        return false;
    if (EndsWithRvd(base))
        base.Shorten(base.size() - 4);
    base.Shorten(kMaxBaseChars);
    return true;
}

bool FolderOf(const CofranText& path, CofranText& folder)
{
    for (size_t i = path.size(); i > 1; --i)
        if (IsSeparator(path[i - 1]))
            return folder.assign(path.c_str(), i);
    folder.clear();
    return true;
}

bool OwnBase(const CofranText& path, uint32_t nameNumber, CofranText& base)
{
    base.clear();
    size_t nameAt = 0;
    for (size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1])) {
            nameAt = i;
            break;
        }
    CofranText name, number;
    if (!name.assign(path.c_str() + nameAt, path.size() - nameAt) || (nameNumber != 0 && !number.AppendNumber(nameNumber)))
        return false;
    if (!EndsWithRvd(name))
        return true;
    size_t stem = name.size() - 4;
    if (stem < number.size())
        return true;
    for (size_t i = 0; i < number.size(); ++i)
        if (name[stem - number.size() + i] != number[i])
            return true;
    stem -= number.size();
    return base.assign(name.c_str(), stem);
}

bool FileName(const CofranText& folder, const CofranText& base, uint32_t nameNumber, CofranText& name)
{
    CofranText made;
    if (!made.assign(folder) || !made.append(base) || (nameNumber != 0 && !made.AppendNumber(nameNumber)) ||
        !made.append(L".RVD"))
        return false;
    name = static_cast<CofranText&&>(made);
    return true;
}

bool DiscLabel(const wchar_t* prefix, uint32_t counter, CofranText& label)
{
    CofranText made;
    if (!made.assign(prefix))
        return false;
    for (uint32_t width = 100; width > 1 && counter < width; width /= 10)
        if (!made.append(L'0'))
            return false;
    if (!made.AppendNumber(counter))
        return false;
    label = static_cast<CofranText&&>(made);
    return true;
}

bool IndexTempName(const CofranText& folder, uint32_t n, CofranText& name)
{
    CofranText made;
    if (!made.assign(folder) || !made.append(L"Ind") || !made.AppendNumber(n) || !made.append(L".tmp"))
        return false;
    name = static_cast<CofranText&&>(made);
    return true;
}

bool EndsWithSeparator(const wchar_t* path)
{
    const size_t n = CofranText::Length(path);
    return n > 0 && IsSeparator(path[n - 1]);
}

bool CopyOut(const wchar_t* text, wchar_t* out, unsigned long outChars)
{
    const size_t length = CofranText::Length(text);
    if (length + 1 > outChars)
        return false;
    for (size_t i = 0; i <= length; ++i)
        out[i] = text[i];
    return true;
}

void CopyOutCut(const wchar_t* text, wchar_t* out, unsigned long outChars)
{
    if (outChars == 0)
        return;
    size_t i = 0;
    for (; i + 1 < outChars && text[i] != 0; ++i)
        out[i] = text[i];
    out[i] = 0;
}

} // namespace ImageNaming
