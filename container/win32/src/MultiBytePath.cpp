#include "MultiBytePath.h"

#include "Win32Layer.h"

#include <cstdlib>
#include <cstring>

namespace ks_win32 {

MultiBytePath::MultiBytePath(const wchar_t* path)
{
    if (!path || !*path) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return;
    }
    std::string hostPath;
    switch (MapDrivePath(path, hostPath)) {
    case DrivePath::Mapped:
        text_ = static_cast<char*>(std::malloc(hostPath.size() + 1));
        if (!text_) {
            KS_WIN32_REFUSE(KS_KIND_NO_MEMORY);
            return;
        }
        std::memcpy(text_, hostPath.c_str(), hostPath.size() + 1);
        return;
    case DrivePath::NoSuchDrive:
        SetLastErrorValue(ERROR_PATH_NOT_FOUND);
        return;
    case DrivePath::BadName:
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return;
    case DrivePath::NotADrivePath:
        break;
    }
    // Sized from the conversion itself: a fixed buffer would cut paths whose
    // characters need several bytes each and leave them without a terminator.
    const size_t length = std::wcstombs(nullptr, path, 0);
    if (length == static_cast<size_t>(-1)) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return;
    }
    char* text = static_cast<char*>(std::malloc(length + 1));
    if (!text) {
        KS_WIN32_REFUSE(KS_KIND_NO_MEMORY);
        return;
    }
    std::wcstombs(text, path, length + 1);
    text[length] = '\0';
    text_ = text;
}

MultiBytePath::~MultiBytePath() { std::free(text_); }

} // namespace ks_win32
