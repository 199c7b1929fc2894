#include "GuiWorkspace.h"

#include <climits>
#include <cstdio>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return remove(path);
}

} // namespace

GuiWorkspace& GuiWorkspace::Shared()
{
    static GuiWorkspace workspace;
    return workspace;
}

std::string GuiWorkspace::PictureDir()
{
    return RVD_GUI_RES_DIR;
}

bool GuiWorkspace::Prepare(std::string* error)
{
    if (!root_.empty())
        return true;
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd))
        previous_ = cwd;
    char pattern[] = "/tmp/rvd-gui-XXXXXX";
    if (!mkdtemp(pattern)) {
        *error = "cannot make a temporary directory";
        return false;
    }
    root_ = pattern;
    const std::string bin = BinDir();
    const std::string res = root_ + "/res";
    if (mkdir(bin.c_str(), 0755) != 0 || symlink(PictureDir().c_str(), res.c_str()) != 0 || chdir(bin.c_str()) != 0) {
        *error = "cannot prepare " + root_;
        return false;
    }
    return true;
}

GuiWorkspace::~GuiWorkspace()
{
    if (root_.empty())
        return;
    if (!previous_.empty() && chdir(previous_.c_str()) != 0)
        return;
    // FTW_PHYS: the res/ link is removed, never followed into the build tree.
    nftw(root_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}
