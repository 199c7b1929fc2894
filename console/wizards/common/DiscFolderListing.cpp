#include "DiscFolderListing.h"

#include <cstdlib>
#include <cstring>

#include <windows.h>

std::string DiscFolderPattern(const char* path)
{
    char pattern[kDiscPatternBytes] = {};
    if (path != nullptr)
        std::strncpy(pattern, path, kDiscPathBytes);
    char* slash = std::strrchr(pattern, '/');
    if (slash != nullptr)
        slash[1] = '\0';
    // With a full 520-byte path this writes bytes 520 and 521: the buffer holds them.
    std::strcat(pattern, "*");
    return pattern;
}

std::vector<std::string> ListDiscFolder(const char* path)
{
    std::vector<std::string> names;
    const std::string pattern = DiscFolderPattern(path);
    wchar_t widePattern[1300] = {};
    if (std::mbstowcs(widePattern, pattern.c_str(), 1299) == static_cast<size_t>(-1))
        return names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(widePattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        char name[260] = {};
        if (std::wcstombs(name, found.cFileName, sizeof(name) - 1) != static_cast<size_t>(-1))
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}
