#include "CDiskMap.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>

namespace {

std::string ReadLine(const std::string& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\n' || line.back() == '\t'))
        line.pop_back();
    return line;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Kernel block devices that are never disks of the machine: memory and loop devices,
// device-mapper and software RAID volumes, optical drives, floppies.
bool IsVirtualOrOptical(const std::string& name)
{
    static const char* const prefixes[] = {"loop", "ram", "zram", "dm-", "md", "sr", "fd", "nbd"};
    for (const char* prefix : prefixes) {
        if (name.compare(0, std::char_traits<char>::length(prefix), prefix) == 0)
            return true;
    }
    return false;
}

// The environment root without its trailing '/': empty for "/" or when unset.
std::string DiskMapEnvRoot()
{
    const char* root = std::getenv(CDiskMap::kRootVariable);
    std::string text = root != nullptr ? root : "";
    while (!text.empty() && text.back() == '/')
        text.pop_back();
    return text;
}

} // namespace

CDiskMap::CDiskMap(std::string sysBlock, std::string devFolder)
    : sysBlock_(sysBlock.empty() ? DiskMapEnvRoot() + "/sys/block" : std::move(sysBlock)),
      devFolder_(devFolder.empty() ? DiskMapEnvRoot() + "/dev" : std::move(devFolder))
{
}

std::string CDiskMap::DeviceName(unsigned number) { return kDevicePrefix + std::to_string(number); }

std::vector<DiskMapEntry> CDiskMap::Disks() const
{
    unsigned numbersTaken = 0;
    return Disks(numbersTaken);
}

std::vector<DiskMapEntry> CDiskMap::Disks(unsigned& numbersTaken) const
{
    const char* images = std::getenv(kImagesVariable);
    if (images != nullptr)
        return ImageDisks(images, numbersTaken);
    std::vector<DiskMapEntry> disks = MachineDisks();
    numbersTaken = static_cast<unsigned>(disks.size());
    return disks;
}

std::vector<DiskMapEntry> CDiskMap::ImageDisks(const std::string& list, unsigned& numbersTaken) const
{
    std::vector<DiskMapEntry> disks;
    unsigned number = 0;
    size_t from = 0;
    while (from <= list.size()) {
        size_t to = list.find(':', from);
        if (to == std::string::npos)
            to = list.size();
        const std::string path = list.substr(from, to - from);
        from = to + 1;
        if (path.empty())
            continue; // "a::b" and an empty list name no disk
        const unsigned listed = number++;
        struct stat st;
        if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        DiskMapEntry disk;
        disk.number = listed;
        disk.path = path;
        disk.model = "Disk image " + path.substr(path.rfind('/') + 1);
        disk.sectors = static_cast<uint64_t>(st.st_size) / 512;
        disk.imageFile = true;
        disks.push_back(disk);
    }
    numbersTaken = number;
    return disks;
}

std::vector<DiskMapEntry> CDiskMap::MachineDisks() const
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(sysBlock_.c_str())) {
        while (dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name.empty() || name[0] == '.' || IsVirtualOrOptical(name))
                continue;
            // A disk of the machine has a device behind it; partitions are not listed here.
            if (!Exists(sysBlock_ + "/" + name + "/device"))
                continue;
            names.push_back(name);
        }
        closedir(dir);
    }
    // Kernel names sort in discovery order within one kind ("sda" < "sdb"); keep the map
    // stable from one scan to the next.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    std::vector<DiskMapEntry> disks;
    for (const std::string& name : names) {
        DiskMapEntry disk;
        disk.number = static_cast<unsigned>(disks.size());
        disk.path = devFolder_ + "/" + name;
        disk.model = ReadLine(sysBlock_ + "/" + name + "/device/model");
        if (disk.model.empty())
            disk.model = name;
        // The kernel gives the size in 512-byte units whatever the sector size.
        disk.sectors = std::strtoull(ReadLine(sysBlock_ + "/" + name + "/size").c_str(), nullptr, 10);
        if (disk.sectors == 0)
            continue; // an empty card reader or a drive without a medium
        disk.number = static_cast<unsigned>(disks.size());
        disks.push_back(disk);
    }
    return disks;
}

bool CDiskMap::FindByDeviceName(const std::string& deviceName, DiskMapEntry& out) const
{
    const std::string prefix = kDevicePrefix;
    if (deviceName.compare(0, prefix.size(), prefix) != 0 || deviceName.size() == prefix.size())
        return false;
    unsigned long number = 0;
    for (size_t i = prefix.size(); i < deviceName.size(); ++i) {
        const char c = deviceName[i];
        if (c < '0' || c > '9' || number > 100000)
            return false;
        number = number * 10 + static_cast<unsigned long>(c - '0');
    }
    for (const DiskMapEntry& disk : Disks())
        if (disk.number == number) {
            out = disk;
            return true;
        }
    return false;
}
