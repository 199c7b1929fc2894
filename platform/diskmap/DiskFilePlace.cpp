#include "DiskFilePlace.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "CDiskMap.h"

namespace {

std::string PlaceEnvRoot()
{
    const char* root = std::getenv(CDiskMap::kRootVariable);
    std::string text = root != nullptr ? root : "";
    while (!text.empty() && text.back() == '/')
        text.pop_back();
    return text;
}

std::string PlaceLastName(const std::string& path)
{
    const size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string PlaceFirstLine(const std::string& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

bool PlaceNumber(const std::string& file, uint64_t& value)
{
    std::ifstream in(file);
    return static_cast<bool>(in >> value);
}

bool PlaceExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string PlaceRealPath(const std::string& path)
{
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// The mount table writes a space, tab, newline and backslash as \040, \011, \012, \134.
std::string PlaceUnescape(const std::string& field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string octal = field.substr(i + 1, 3);
            if (octal.size() == 3 && octal.find_first_not_of("01234567") == std::string::npos) {
                out.push_back(static_cast<char>(std::strtol(octal.c_str(), nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

// The device the mount table names as the source of the file system numbered
// majorMinor ("7:3" gives "/dev/loop3"); empty when none is listed.
std::string PlaceMountSource(const std::string& root, const std::string& majorMinor)
{
    std::ifstream in(root + "/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, numbers;
        if (!(fields >> id >> parent >> numbers) || numbers != majorMinor)
            continue;
        std::string field;
        while (fields >> field && field != "-") {
        }
        std::string type, source;
        if (fields >> type >> source)
            return PlaceUnescape(source);
    }
    return std::string();
}

// A block device's disk and partition names ("sda" and "sda2"; "loop0" and "" for a
// device without partitions) under root's sys/block.
void PlaceSplitDevice(const std::string& root, const std::string& name, std::string& disk, std::string& part)
{
    disk = name;
    part.clear();
    if (PlaceExists(root + "/sys/block/" + name))
        return;
    // A partition: the disk whose folder holds it ("loop0p1" in "loop0", "sda2" in "sda").
    for (size_t cut = name.size(); cut > 0; --cut) {
        const std::string candidate = name.substr(0, cut);
        if (PlaceExists(root + "/sys/block/" + candidate + "/" + name)) {
            disk = candidate;
            part = name;
            return;
        }
    }
}

} // namespace

DiskFilePlace FindDiskFilePlace(const std::string& hostPath)
{
    DiskFilePlace place;
    struct stat file;
    if (stat(hostPath.c_str(), &file) != 0)
        return place;
    const std::string root = PlaceEnvRoot();
    const std::string majorMinor = std::to_string(major(file.st_dev)) + ":" + std::to_string(minor(file.st_dev));

    // The block device holding the file system: /sys/dev/block names it for a real
    // device; the mount table names it for any mounted file system.
    std::string disk, part;
    const std::string node = root + "/sys/dev/block/" + majorMinor;
    char target[PATH_MAX] = {};
    const ssize_t n = readlink(node.c_str(), target, sizeof target - 1);
    if (n > 0) {
        // ".../block/sda/sda2" for a partition, ".../block/sda" for a whole disk.
        const std::string link(target, static_cast<size_t>(n));
        if (access((node + "/partition").c_str(), F_OK) == 0) {
            part = PlaceLastName(link);
            disk = PlaceLastName(link.substr(0, link.find_last_of('/')));
        } else {
            disk = PlaceLastName(link);
        }
    } else {
        const std::string source = PlaceMountSource(root, majorMinor);
        if (source.compare(0, 5, "/dev/") != 0)
            return place;
        PlaceSplitDevice(root, PlaceLastName(source), disk, part);
    }
    if (disk.empty())
        return place;

    const std::string diskFolder = root + "/sys/block/" + disk;
    uint64_t partStart = 0, partSectors = 0;
    if (!part.empty() && (!PlaceNumber(diskFolder + "/" + part + "/start", partStart) ||
                          !PlaceNumber(diskFolder + "/" + part + "/size", partSectors)))
        return place;

    const std::vector<DiskMapEntry> disks = CDiskMap().Disks();
    if (disk.compare(0, 4, "loop") == 0) {
        // A disk-image file seen through a loop device, from an offset into it: the
        // partition that begins there, or a partition of the loop device itself.
        const std::string backing = PlaceFirstLine(diskFolder + "/loop/backing_file");
        uint64_t offset = 0, loopSectors = 0;
        if (backing.empty() || !PlaceNumber(diskFolder + "/loop/offset", offset))
            return place;
        PlaceNumber(diskFolder + "/size", loopSectors);
        const std::string image = PlaceRealPath(backing);
        for (const DiskMapEntry& entry : disks) {
            if (!entry.imageFile || PlaceRealPath(entry.path) != image)
                continue;
            place.onDisk = true;
            place.disk = entry.number;
            place.start = offset / 512 + partStart;
            place.sectors = !part.empty() ? partSectors : offset != 0 ? loopSectors : 0;
            return place;
        }
        return place;
    }
    for (const DiskMapEntry& entry : disks) {
        if (entry.imageFile || PlaceLastName(entry.path) != disk)
            continue;
        place.onDisk = true;
        place.disk = entry.number;
        place.start = partStart;
        place.sectors = partSectors;
        return place;
    }
    return place;
}
