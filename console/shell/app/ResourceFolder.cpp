#include "ResourceFolder.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace {

// One picture drawn first on the splash and the message file every dialog needs: a
// folder that has both is the generator's output, not a stray "res" folder.
const char* const kWitnesses[] = {"rv_linux_start.png", "RVEMLib.ini"};

std::string AbsolutePath(const std::string& folder)
{
    char resolved[PATH_MAX];
    if (realpath(folder.c_str(), resolved) != nullptr)
        return resolved;
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) != nullptr)
        return std::string(cwd) + "/" + folder;
    return folder;
}

} // namespace

std::string DescribeMissingResources(const std::string& folder)
{
    for (const char* name : kWitnesses) {
        const std::string path = folder + "/" + name;
        if (access(path.c_str(), R_OK) != 0)
            return "RecoveryConsole: cannot read " + AbsolutePath(folder) + "/" + name +
                   "; the console's pictures and message file must be in ../res/ beside its "
                   "bin/ folder: start it from bin/ (scripts/run-console.sh does).";
    }
    return {};
}
