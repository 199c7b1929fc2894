#include "SysfsPartition.h"

#include "EnvRoot.h"
#include "RecoveryEnv.h"

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>

bool FindDiskOfPartition(const std::string& partition, std::string& disk)
{
    if (partition.empty() || partition.find('/') != std::string::npos || partition[0] == '.')
        return false;
    const std::string sysBlock = EnvPath("/sys/block");
    DIR* dir = opendir(sysBlock.c_str());
    if (dir == nullptr)
        return false;
    bool found = false;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st;
        if (stat((sysBlock + "/" + name + "/" + partition).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            disk = name;
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}

long long GetPartStartSector(const char* disk, const char* partition)
{
    if (disk == nullptr || partition == nullptr)
        return 0;
    std::ifstream in(EnvPath("/sys/block/") + disk + "/" + partition + "/start");
    std::string line;
    if (!std::getline(in, line))
        return 0;
    return std::atoll(line.c_str());
}
