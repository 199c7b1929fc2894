#include "ExplorerEntries.h"

#include "MountListLine.h"

#include <cstring>
#include <dirent.h>
#include <strings.h>

bool IsRvdFile(const char* name)
{
    if (name == nullptr)
        return false;
    const char* dot = std::strrchr(name, '.');
    return dot != nullptr && strcasecmp(dot, ".rvd") == 0;
}

bool IsDir(const char* path)
{
    DIR* dir = path ? opendir(path) : nullptr;
    if (dir == nullptr)
        return false;
    closedir(dir);
    return true;
}

bool IsHasSubItem(const char* path)
{
    DIR* dir = path ? opendir(path) : nullptr;
    if (dir == nullptr)
        return false;
    bool any = false;
    while (dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            any = true;
            break;
        }
    }
    closedir(dir);
    return any;
}

std::vector<std::string> ListMountFolders(const std::string& prefix)
{
    std::vector<std::string> folders;
    for (int n = 1; n < 500; ++n) {
        const std::string path = prefix + std::to_string(n);
        if (!IsDir(path.c_str()))
            break;
        folders.push_back(path);
    }
    return folders;
}

std::string MountLabel(const std::string& listFile, const std::string& mountPoint)
{
    std::string line;
    if (!FindMountListLine(listFile, mountPoint, line))
        return "[]";
    return LabelOfListLine(line);
}

std::vector<ExplorerEntry> ReadExplorerFolder(const std::string& folder, bool listFiles)
{
    std::vector<ExplorerEntry> entries;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return entries;
    while (dirent* item = readdir(dir)) {
        const std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        ExplorerEntry entry;
        entry.name = name;
        entry.fullPath = folder + "/" + name;
        entry.folder = IsDir(entry.fullPath.c_str());
        if (!entry.folder && !(listFiles && IsRvdFile(name.c_str())))
            continue;
        entry.hasChildren = entry.folder && IsHasSubItem(entry.fullPath.c_str());
        entries.push_back(entry);
    }
    closedir(dir);
    return entries;
}
