// Folders: making and removing them (Win32 and run-time forms) and the temporary
// folder. Paths go through the drive table like every file path of the layer.
#include "MultiBytePath.h"
#include "Win32Layer.h"

#include <direct.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

using ks_win32::MultiBytePath;

namespace {

// The Win32 error of a failed mkdir or rmdir. A missing parent is a missing path,
// and removing something that is not a folder is ERROR_DIRECTORY, as on Windows.
DWORD FolderError(int err)
{
    switch (err) {
    case ENOENT:
        return ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
        return ERROR_DIRECTORY;
    default:
        return ks_win32::ErrnoToWin32(err);
    }
}

} // namespace

extern "C" BOOL WINAPI CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES /*security*/)
{
    MultiBytePath nativePath(path);
    if (!nativePath.Ok())
        return FALSE;
    if (::mkdir(nativePath.CStr(), 0777) == -1) {
        SetLastError(FolderError(errno));
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI RemoveDirectoryW(LPCWSTR path)
{
    MultiBytePath nativePath(path);
    if (!nativePath.Ok())
        return FALSE;
    if (::rmdir(nativePath.CStr()) == -1) {
        const int err = errno;
        // rmdir names a missing folder ENOENT; Windows says the file is not found.
        SetLastError(err == ENOENT ? ERROR_FILE_NOT_FOUND : FolderError(err));
        return FALSE;
    }
    return TRUE;
}

extern "C" int _wmkdir(const wchar_t* path)
{
    MultiBytePath nativePath(path);
    if (!nativePath.Ok()) {
        errno = GetLastError() == ERROR_PATH_NOT_FOUND ? ENOENT : EINVAL;
        return -1;
    }
    return ::mkdir(nativePath.CStr(), 0777) == -1 ? -1 : 0;
}

extern "C" int _wrmdir(const wchar_t* path)
{
    MultiBytePath nativePath(path);
    if (!nativePath.Ok()) {
        errno = GetLastError() == ERROR_PATH_NOT_FOUND ? ENOENT : EINVAL;
        return -1;
    }
    return ::rmdir(nativePath.CStr()) == -1 ? -1 : 0;
}

// TMPDIR, else "/tmp", always with a closing "/".
extern "C" DWORD WINAPI GetTempPathW(DWORD size, LPWSTR buffer)
{
    const char* folder = std::getenv("TMPDIR");
    std::string narrow = folder && *folder ? folder : "/tmp";
    if (narrow.back() != '/')
        narrow += '/';
    const size_t length = std::mbstowcs(nullptr, narrow.c_str(), 0);
    if (length == static_cast<size_t>(-1)) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    if (!buffer || size < length + 1)
        return static_cast<DWORD>(length + 1);
    std::mbstowcs(buffer, narrow.c_str(), length + 1);
    return static_cast<DWORD>(length);
}
