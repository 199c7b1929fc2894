#include "FolderScan.h"

#include <windows.h>

namespace {
bool IsDotEntry(const wchar_t* name)
{
    return (name[0] == L'.' && name[1] == 0) || (name[0] == L'.' && name[1] == L'.' && name[2] == 0);
}
} // namespace

bool ScanFolder(const CofranText& folder, CofranBuffer<CofranText>& names)
{
    names.clear();
    CofranText pattern;
    if (!pattern.assign(folder) || !pattern.append(L'*'))
        return false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool memory = true;
    do {
        found.cFileName[MAX_PATH - 1] = 0;
        if (IsDotEntry(found.cFileName))
            continue;
        CofranText name;
        memory = name.assign(found.cFileName) && names.push_back(static_cast<CofranText&&>(name));
    } while (memory && FindNextFileW(search, &found));
    FindClose(search);
    if (!memory)
        names.clear();
    return !names.empty();
}
