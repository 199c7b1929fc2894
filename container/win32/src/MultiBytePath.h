// A wide path converted to the C library's multibyte form for the POSIX calls, drive
// letters mapped as MapDrivePath (Win32Layer.h) says.
#pragma once

#include <cstddef>

namespace ks_win32 {

class MultiBytePath {
public:
    // Converts path; on failure (null, empty, not representable in the current
    // locale, no memory) the last error is set and Ok() is false.
    explicit MultiBytePath(const wchar_t* path);
    ~MultiBytePath();
    MultiBytePath(const MultiBytePath&) = delete;
    MultiBytePath& operator=(const MultiBytePath&) = delete;

    bool Ok() const { return text_ != nullptr; }
    const char* CStr() const { return text_; }

private:
    char* text_ = nullptr;
};

} // namespace ks_win32
