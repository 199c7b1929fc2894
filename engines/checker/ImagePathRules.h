// What an image path tells the checker: whether the set lies on removable discs
// (mounted under "/mnt/CD"), and which drive a disc prompt names.
#pragma once

#include <cstdint>
#include <cwchar>

namespace ImagePathRules {

inline bool OnDisc(const wchar_t* path)
{
    return path != nullptr && std::wcsstr(path, L"/mnt/CD") != nullptr;
}

// Drive index of a path's first character: 0..25 for a..z or A..Z. A path that
// starts with no drive letter (every path on this system) names no drive: -1, as
// the container's own disc prompt does.
inline int32_t DriveIndex(const wchar_t* path)
{
    if (path == nullptr)
        return -1;
    const wchar_t c = path[0];
    if (c >= L'a' && c <= L'z')
        return static_cast<int32_t>(c - L'a');
    if (c >= L'A' && c <= L'Z')
        return static_cast<int32_t>(c - L'A');
    return -1;
}

} // namespace ImagePathRules
