// "X:\..." paths through the drive table: the file calls of the layer (and so the
// image container) open hostFolder + "/...". Backslashes and slashes both separate;
// "." is dropped and ".." never climbs above the drive's root, as on Windows, so no
// path reaches outside the folder that stands for the drive.
#include "DriveTable.h"
#include "Win32Layer.h"

#include <cstdlib>
#include <vector>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Strips "\\?\" before a drive letter.
const wchar_t* WithoutLongPrefix(const wchar_t* path)
{
    if (IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] == L'?' && IsSeparator(path[3]))
        return path + 4;
    return path;
}

bool Narrow(const std::wstring& wide, std::string& narrow)
{
    const size_t length = std::wcstombs(nullptr, wide.c_str(), 0);
    if (length == static_cast<size_t>(-1))
        return false;
    narrow.resize(length + 1);
    std::wcstombs(&narrow[0], wide.c_str(), length + 1);
    narrow.resize(length);
    return true;
}

} // namespace

namespace ks_win32 {

DrivePath MapDrivePath(const wchar_t* path, std::string& hostPath)
{
    path = WithoutLongPrefix(path);
    if (!ks_platform::DriveIndexLetter(path[0]) || path[1] != L':')
        return DrivePath::NotADrivePath;
    std::optional<KSDriveEntry> drive = ks_platform::DriveTable::Instance().FindForPath(path);
    if (!drive || drive->hostFolder.empty())
        return DrivePath::NoSuchDrive;

    std::vector<std::wstring> parts;
    const wchar_t* cursor = path + 2;
    while (*cursor) {
        while (IsSeparator(*cursor))
            ++cursor;
        const wchar_t* start = cursor;
        while (*cursor && !IsSeparator(*cursor))
            ++cursor;
        const std::wstring part(start, cursor);
        if (part.empty() || part == L".")
            continue;
        if (part == L"..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::wstring rest;
    for (const std::wstring& part : parts)
        rest += L"/" + part;
    // A path that ends in a separator keeps it ("X:\dir\" is a folder).
    if (!parts.empty() && IsSeparator(path[std::char_traits<wchar_t>::length(path) - 1]))
        rest += L"/";
    std::string narrowRest;
    if (!Narrow(rest, narrowRest))
        return DrivePath::BadName;
    std::string base = drive->hostFolder;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    if (narrowRest.empty())
        hostPath = base.empty() ? "/" : base;
    else
        hostPath = base + narrowRest;
    return DrivePath::Mapped;
}

} // namespace ks_win32

std::string KSPlatformHostPath(const wchar_t* path)
{
    if (!path)
        return {};
    std::string host;
    switch (ks_win32::MapDrivePath(path, host)) {
    case ks_win32::DrivePath::Mapped:
        return host;
    case ks_win32::DrivePath::NoSuchDrive:
    case ks_win32::DrivePath::BadName:
        return {};
    case ks_win32::DrivePath::NotADrivePath:
        break;
    }
    std::string narrow;
    return Narrow(path, narrow) ? narrow : std::string();
}
