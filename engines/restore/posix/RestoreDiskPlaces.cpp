// Where the disks of the disk map end and where a file lies among them, on Linux:
// the disk map's sizes, and the file's device found through /sys.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <fstream>

#include "CDiskMap.h"
#include "CDiskMapRestoreDisks.h"
#include "KSPlatformControl.h"

namespace {
uint64_t ReadSysNumber(const std::string& path)
{
    std::ifstream in(path);
    uint64_t value = 0;
    in >> value;
    return value;
}

std::string BaseName(const std::string& path)
{
    const size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}
}

uint64_t CDiskMapRestoreDisks::DiskSectors(unsigned disk)
{
    for (const DiskMapEntry& entry : CDiskMap().Disks())
        if (entry.number == disk)
            return entry.sectors;
    return 0;
}

RestoreFilePlace CDiskMapRestoreDisks::PlaceOfFile(const std::wstring& path)
{
    RestoreFilePlace place;
    struct stat file;
    const std::string host = KSPlatformHostPath(path.c_str());
    if (stat(host.c_str(), &file) != 0)
        return place;
    const std::string node = "/sys/dev/block/" + std::to_string(major(file.st_dev)) + ":" +
                             std::to_string(minor(file.st_dev));
    char target[PATH_MAX] = {};
    const ssize_t n = readlink(node.c_str(), target, sizeof target - 1);
    if (n <= 0)
        return place;
    // ".../block/sda/sda2" for a partition, ".../block/sda" for a whole disk.
    const std::string link(target, static_cast<size_t>(n));
    const std::string self = BaseName(link);
    const std::string parent = BaseName(link.substr(0, link.find_last_of('/')));
    const bool partition = access((node + "/partition").c_str(), F_OK) == 0;
    for (const DiskMapEntry& entry : CDiskMap().Disks()) {
        if (entry.imageFile || BaseName(entry.path) != (partition ? parent : self))
            continue;
        place.onDisk = true;
        place.disk = entry.number;
        if (partition) {
            place.start = ReadSysNumber(node + "/start");
            place.sectors = ReadSysNumber(node + "/size");
        }
    }
    return place;
}

