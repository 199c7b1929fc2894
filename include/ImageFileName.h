// The name of an image file without its folder. A disc or file request names the file
// the user must put back; the console shows at most 63 characters of it, so a whole
// path would show only its folder.
#pragma once

#include <cwchar>

// The part of path after its last "/" or "\", or the whole path when it has neither.
inline const wchar_t* ImageFileNameOf(const wchar_t* path)
{
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p != L'\0'; ++p)
        if (*p == L'/' || *p == L'\\')
            name = p + 1;
    return name;
}
