#include "SetFileSpelling.h"

#include "CofranBuffer.h"
#include "CofranFile.h"
#include "FolderScan.h"
#include "KSWideString.h"

namespace SetFileSpelling {

namespace {

constexpr size_t kExtensionChars = 4; // ".rvd"

bool ExactlyThere(const wchar_t* path)
{
    CofranFile probe;
    if (probe.OpenRead(path))
        return true;
    return CofranFile::LastError() == ERROR_ACCESS_DENIED;
}

bool IsRvdExtension(const wchar_t* name, size_t at)
{
    static const wchar_t rvd[] = L".rvd";
    for (size_t i = 0; i < kExtensionChars; ++i)
        if (CompareWchar(name[at + i], rvd[i]) != 0)
            return false;
    return true;
}

bool SameStem(const CofranText& a, const wchar_t* b, size_t stem)
{
    for (size_t i = 0; i < stem; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

} // namespace

bool Existing(const wchar_t* path, CofranText& found)
{
    if (ExactlyThere(path))
        return found.assign(path);
    const size_t length = CofranText::Length(path);
    size_t cut = length;
    for (size_t i = length; i > 0; --i)
        if (path[i - 1] == L'\\' || path[i - 1] == L'/') {
            cut = i - 1;
            break;
        }
    const size_t nameAt = cut == length ? 0 : cut + 1;
    const wchar_t* name = path + nameAt;
    const size_t nameChars = length - nameAt;
    if (nameChars <= kExtensionChars || !IsRvdExtension(name, nameChars - kExtensionChars))
        return found.assign(path);
    const size_t stem = nameChars - kExtensionChars;
    CofranText folder;
    if (!(nameAt == 0 ? folder.assign(L"./") : folder.assign(path, nameAt)))
        return false;
    CofranBuffer<CofranText> names;
    if (!ScanFolder(folder, names))
        return found.assign(path);
    for (const CofranText& other : names)
        if (other.size() == nameChars && SameStem(other, name, stem) && IsRvdExtension(other.c_str(), stem)) {
            CofranText made;
            if (!made.assign(path, nameAt) || !made.append(other))
                return false;
            found = static_cast<CofranText&&>(made);
            return true;
        }
    return found.assign(path);
}

bool Exists(const wchar_t* path)
{
    if (ExactlyThere(path))
        return true;
    CofranText found;
    return !Existing(path, found) || !found.Equals(path);
}

} // namespace SetFileSpelling
