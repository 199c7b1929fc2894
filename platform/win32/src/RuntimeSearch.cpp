#include "RuntimeSearch.h"

#include "KSWideString.h"
#include "MultiBytePath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cwchar>

namespace ks_platform {

RuntimeSearch::~RuntimeSearch()
{
    if (directory_)
        ::closedir(directory_);
}

std::shared_ptr<RuntimeSearch> RuntimeSearch::Open(const wchar_t* pattern)
{
    if (!pattern || !*pattern) {
        errno = EINVAL;
        return nullptr;
    }
    const std::wstring text = pattern;
    const size_t separator = text.find_last_of(L"\\/");
    const bool onDrive = text.size() >= 2 && text[1] == L':';
    std::wstring folder;
    auto search = std::shared_ptr<RuntimeSearch>(new RuntimeSearch);
    if (separator != std::wstring::npos) {
        folder = text.substr(0, separator == 0 ? 1 : separator);
        search->namePattern_ = text.substr(separator + 1);
    } else if (onDrive) { // "X:*.rvd" searches the drive's root
        folder = text.substr(0, 2);
        search->namePattern_ = text.substr(2);
    } else {
        folder = L".";
        search->namePattern_ = text;
    }
    ks_win32::MultiBytePath nativeFolder(folder.c_str());
    if (!nativeFolder.Ok()) {
        errno = ENOENT;
        return nullptr;
    }
    search->folder_ = nativeFolder.CStr();
    search->directory_ = ::opendir(search->folder_.c_str());
    if (!search->directory_)
        return nullptr; // errno from opendir
    return search;
}

bool RuntimeSearch::Next(_wfinddata64_t& found)
{
    for (;;) {
        errno = 0;
        const struct dirent* entry = ::readdir(directory_);
        if (!entry) {
            if (errno == 0)
                errno = ENOENT;
            return false;
        }
        const size_t length = std::mbstowcs(nullptr, entry->d_name, 0);
        if (length == static_cast<size_t>(-1) || length >= sizeof found.name / sizeof found.name[0])
            continue; // not representable: not listed
        wchar_t name[sizeof found.name / sizeof found.name[0]];
        std::mbstowcs(name, entry->d_name, length + 1);
        if (!MatchingString(name, namePattern_.c_str(), 0))
            continue;
        struct stat status;
        const std::string full = folder_ + "/" + entry->d_name;
        if (::stat(full.c_str(), &status) == -1)
            continue; // gone since it was listed
        found = _wfinddata64_t{};
        found.attrib = S_ISDIR(status.st_mode) ? _A_SUBDIR : _A_ARCH;
        if (::access(full.c_str(), W_OK) != 0)
            found.attrib |= _A_RDONLY;
        found.time_create = -1;
        found.time_access = static_cast<__time64_t>(status.st_atime);
        found.time_write = static_cast<__time64_t>(status.st_mtime);
        found.size = S_ISDIR(status.st_mode) ? 0 : static_cast<int64_t>(status.st_size);
        std::wmemcpy(found.name, name, length + 1);
        return true;
    }
}

} // namespace ks_platform
