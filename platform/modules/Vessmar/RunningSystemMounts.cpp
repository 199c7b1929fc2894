#include "RunningSystemMounts.h"

#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

std::string FirstLineOf(const std::string& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.pop_back();
    return line;
}

// A mount point as the kernel writes it: blanks, tabs, newlines and backslashes as
// three octal digits after a backslash.
std::string Unescaped(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '3') {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string EnvironmentRoot()
{
    const char* value = std::getenv("RVD_ENV_ROOT");
    std::string root = value != nullptr ? value : "";
    while (!root.empty() && root.back() == '/')
        root.pop_back();
    return root;
}

} // namespace

RunningSystemMounts::RunningSystemMounts() : root_(EnvironmentRoot())
{
    // "id parent major:minor root mountpoint options [optional...] - fstype source super"
    // A later line for the same mount point covers the earlier one.
    std::ifstream in(root_ + "/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        std::string word;
        while (fields >> word)
            words.push_back(word);
        if (words.size() < 5)
            continue;
        Mount mount;
        mount.present = true;
        mount.device = words[2];
        for (size_t i = 5; i + 2 < words.size(); ++i) {
            if (words[i] == "-") {
                mount.source = Unescaped(words[i + 2]);
                break;
            }
        }
        const std::string point = Unescaped(words[4]);
        if (point == "/")
            system_ = mount;
        else if (point == "/boot")
            boot_ = mount;
    }
}

bool RunningSystemMounts::IsMountedPartition(const Mount& mount, const std::string& partition,
                                             const std::string& device) const
{
    if (!mount.present)
        return false;
    if (!device.empty() && device == mount.device)
        return true;
    return mount.source == "/dev/" + partition;
}

RunningSystemRole RunningSystemMounts::RoleOf(const DiskMapEntry& disk, uint64_t start) const
{
    RunningSystemRole role;
    if (disk.imageFile || (!system_.present && !boot_.present))
        return role;
    // The disk's kernel name is its node's name; its partitions are the folders of
    // its /sys/block entry that begin with that name and have a start.
    const std::string name = disk.path.substr(disk.path.rfind('/') + 1);
    if (name.empty())
        return role;
    const std::string folder = root_ + "/sys/block/" + name;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return role;
    std::string partition;
    while (dirent* entry = readdir(dir)) {
        const std::string child = entry->d_name;
        if (child.size() <= name.size() || child.compare(0, name.size(), name) != 0)
            continue;
        const std::string first = FirstLineOf(folder + "/" + child + "/start");
        if (!first.empty() && std::strtoull(first.c_str(), nullptr, 10) == start) {
            partition = child;
            break;
        }
    }
    closedir(dir);
    if (partition.empty())
        return role;
    const std::string device = FirstLineOf(folder + "/" + partition + "/dev");
    role.system = IsMountedPartition(system_, partition, device);
    role.bootFiles = boot_.present ? IsMountedPartition(boot_, partition, device) : role.system;
    return role;
}
