#include "FolderScan.h"

#include <windows.h>

namespace {
bool IsDotEntry(const wchar_t* name)
{
    return (name[0] == L'.' && name[1] == 0) || (name[0] == L'.' && name[1] == L'.' && name[2] == 0);
}
} // namespace

bool ScanFolder(const std::wstring& folder, std::vector<std::wstring>& names)
{
    names.clear();
    const std::wstring pattern = folder + L"*";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        found.cFileName[MAX_PATH - 1] = 0;
        if (!IsDotEntry(found.cFileName))
            names.emplace_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return !names.empty();
}
