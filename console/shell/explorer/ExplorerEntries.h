// What the volume explorer shows, decided without a display: which volume folders
// under "/mnt" count, which files are image files, what a folder holds and what a
// volume or disc row is called.
#pragma once

#include <string>
#include <vector>

// True when the name ends in exactly ".rvd", in any case ("backup.RVD"); not
// ".rvdx", ".rv" or a name without a ".".
bool IsRvdFile(const char* name);
// opendir succeeds.
bool IsDir(const char* path);
// opendir succeeds and the folder holds at least one entry besides "." and "..".
bool IsHasSubItem(const char* path);

// The mount points prefix + "1", prefix + "2", ... (up to 499) that are folders,
// stopping at the first gap: with P1, P2 and P4 only P1 and P2 count.
std::vector<std::string> ListMountFolders(const std::string& prefix);

// The label a volume or disc row shows: its list line from the first "[", or "[]"
// when the list has no line for the mount point or the line has no "[".
std::string MountLabel(const std::string& listFile, const std::string& mountPoint);

struct ExplorerEntry {
    std::string name;
    std::string fullPath;
    bool folder = false;
    bool hasChildren = false; // a placeholder child lets the view draw an expander
};
// A folder's rows in the order the system gives its entries: every subfolder, and
// the image files when listFiles is set; other files are left out.
std::vector<ExplorerEntry> ReadExplorerFolder(const std::string& folder, bool listFiles);
