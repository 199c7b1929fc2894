// One directory search of FindFirstFileW/FindNextFileW: the open directory stream
// and the name pattern. The find handle points to this object.
#pragma once

#include <windows.h>

#include <dirent.h>

#include <cstdint>

namespace ks_win32 {

class FileSearch {
public:
    // Splits pattern at its last "/" or "\" into folder and name pattern and opens
    // the folder (the current one when there is no separator). Returns null with the
    // last error set on failure.
    static FileSearch* Open(const wchar_t* pattern);
    ~FileSearch();
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;

    // The search behind a find handle, or null when the handle cannot be one.
    static FileSearch* FromHandle(HANDLE handle);
    HANDLE ToHandle() { return static_cast<HANDLE>(this); }

    // Fills found with the next entry that is not a folder and whose name matches the
    // pattern without regard to case. False at the end (ERROR_NO_MORE_FILES) or on
    // an error of the directory stream.
    bool Next(WIN32_FIND_DATAW* found);

private:
    FileSearch() = default;

    static constexpr uint32_t kMagic = 0x4B534653; // tells a live search from a stray handle
    uint32_t magic_ = kMagic;
    DIR* directory_ = nullptr;
    wchar_t* namePattern_ = nullptr;
};

} // namespace ks_win32
