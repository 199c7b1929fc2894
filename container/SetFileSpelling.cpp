#include "SetFileSpelling.h"

#include <vector>

#include "CofranFile.h"
#include "FolderScan.h"
#include "KSWideString.h"

namespace SetFileSpelling {

namespace {

constexpr size_t kExtensionChars = 4; // ".rvd"

bool ExactlyThere(const std::wstring& path)
{
    CofranFile probe;
    if (probe.OpenRead(path.c_str()))
        return true;
    return CofranFile::LastError() == ERROR_ACCESS_DENIED;
}

bool IsRvdExtension(const std::wstring& name, size_t at)
{
    static const wchar_t rvd[] = L".rvd";
    for (size_t i = 0; i < kExtensionChars; ++i)
        if (CompareWchar(name[at + i], rvd[i]) != 0)
            return false;
    return true;
}

} // namespace

std::wstring Existing(const std::wstring& path)
{
    if (ExactlyThere(path))
        return path;
    const size_t cut = path.find_last_of(L"\\/");
    const std::wstring folder = cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
    const std::wstring name = cut == std::wstring::npos ? path : path.substr(cut + 1);
    if (name.size() <= kExtensionChars || !IsRvdExtension(name, name.size() - kExtensionChars))
        return path;
    const size_t stem = name.size() - kExtensionChars;
    std::vector<std::wstring> names;
    if (!ScanFolder(folder.empty() ? std::wstring(L"./") : folder, names))
        return path;
    for (const std::wstring& other : names)
        if (other.size() == name.size() && other.compare(0, stem, name, 0, stem) == 0 && IsRvdExtension(other, stem))
            return folder + other;
    return path;
}

bool Exists(const std::wstring& path)
{
    return ExactlyThere(path) || Existing(path) != path;
}

} // namespace SetFileSpelling
