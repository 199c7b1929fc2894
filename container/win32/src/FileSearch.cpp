#include "FileSearch.h"

#include "KSWideString.h"
#include "MultiBytePath.h"
#include "Win32Layer.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

namespace {

wchar_t* CopyWide(const wchar_t* text, size_t length)
{
    wchar_t* copy = static_cast<wchar_t*>(std::malloc((length + 1) * sizeof(wchar_t)));
    if (copy) {
        std::wmemcpy(copy, text, length);
        copy[length] = L'\0';
    }
    return copy;
}

} // namespace

namespace ks_win32 {

FileSearch* FileSearch::Open(const wchar_t* pattern)
{
    if (!pattern || !*pattern) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return nullptr;
    }
    const size_t length = std::wcslen(pattern);
    size_t nameStart = length;
    while (nameStart > 0 && pattern[nameStart - 1] != L'/' && pattern[nameStart - 1] != L'\\')
        --nameStart;

    // The folder: everything before the last separator; "/" when that is the only
    // separator at the front; the current folder when there is none.
    wchar_t* folder = nameStart == 0 ? CopyWide(L".", 1) : CopyWide(pattern, nameStart == 1 ? 1 : nameStart - 1);
    FileSearch* search = new (std::nothrow) FileSearch;
    if (search)
        search->namePattern_ = CopyWide(pattern + nameStart, length - nameStart);
    if (!folder || !search || !search->namePattern_) {
        std::free(folder);
        delete search;
        KS_WIN32_REFUSE(KS_KIND_NO_MEMORY);
        return nullptr;
    }
    MultiBytePath nativeFolder(folder);
    std::free(folder);
    if (!nativeFolder.Ok()) {
        delete search;
        return nullptr;
    }
    search->directory_ = ::opendir(nativeFolder.CStr());
    if (!search->directory_) {
        FailWithErrno(errno);
        delete search;
        return nullptr;
    }
    return search;
}

FileSearch::~FileSearch()
{
    if (directory_)
        ::closedir(directory_);
    std::free(namePattern_);
    magic_ = 0;
}

FileSearch* FileSearch::FromHandle(HANDLE handle)
{
    // File handles are small descriptor numbers; a search is a heap address.
    const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if (handle == INVALID_HANDLE_VALUE || value <= static_cast<uintptr_t>(INT_MAX) ||
        value % alignof(FileSearch) != 0)
        return nullptr;
    FileSearch* search = static_cast<FileSearch*>(handle);
    return search->magic_ == kMagic ? search : nullptr;
}

bool FileSearch::Next(WIN32_FIND_DATAW* found)
{
    for (;;) {
        std::memset(found, 0, sizeof *found);
        errno = 0;
        const dirent* entry = ::readdir(directory_);
        if (!entry) {
            if (errno != 0)
                FailWithErrno(errno);
            else
                SetLastError(ERROR_NO_MORE_FILES);
            return false;
        }
        struct stat status;
        if (::fstatat(::dirfd(directory_), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == -1 ||
            S_ISDIR(status.st_mode))
            continue;
        // A name that cannot be represented whole is left out rather than cut: a cut
        // name would lead the caller to a different file.
        const size_t converted = std::mbstowcs(found->cFileName, entry->d_name, MAX_PATH);
        if (converted == static_cast<size_t>(-1) || converted >= MAX_PATH)
            continue;
        if (!MatchingString(found->cFileName, namePattern_, 0))
            continue;
        const uint64_t size = static_cast<uint64_t>(status.st_size);
        found->dwFileAttributes = static_cast<DWORD>(status.st_mode);
        found->nFileSizeLow = static_cast<DWORD>(size);
        found->nFileSizeHigh = static_cast<DWORD>(size >> 32);
        return true;
    }
}

} // namespace ks_win32
