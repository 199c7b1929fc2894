#include "CTilloryModule.h"

#include <cstring>
#include <sys/stat.h>

#include "CDiskMap.h"
#include "FileSystemCheckRun.h"
#include "PartitionCopy.h"
#include "PartitionLocator.h"

namespace {

constexpr uint64_t kCheckSectorBytes = 512;

// The device node of a disk's partition: /dev/sda1, or /dev/nvme0n1p1 for disks
// whose names end in a digit. Empty when neither is a block device.
std::string PartitionNode(const std::string& diskNode, int number)
{
    for (const std::string& node : {diskNode + std::to_string(number), diskNode + "p" + std::to_string(number)}) {
        struct stat st;
        if (stat(node.c_str(), &st) == 0 && S_ISBLK(st.st_mode))
            return node;
    }
    return std::string();
}

// Checks the partition that starts at firstSector of the disk; true when clean.
bool PartitionIsClean(const DiskMapEntry& disk, uint64_t firstSector)
{
    LocatedPartition partition;
    if (!PartitionLocator::Find(disk.path, firstSector, partition))
        return false;
    if (!disk.imageFile) {
        const std::string node = PartitionNode(disk.path, partition.number);
        return !node.empty() && FileSystemCheckRun::Passes(FileSystemCheckRun::CommandFor(partition.fileSystem, node));
    }
    // The checkers read a volume from its first byte: an image file's partition is
    // checked in a copy of its own.
    const std::vector<std::string> probe = FileSystemCheckRun::CommandFor(partition.fileSystem, std::string());
    if (probe.empty())
        return false;
    PartitionCopy copy;
    if (!copy.Make(disk.path, partition.start * kCheckSectorBytes, partition.sectors * kCheckSectorBytes))
        return false;
    return FileSystemCheckRun::Passes(FileSystemCheckRun::CommandFor(partition.fileSystem, copy.Path()));
}

} // namespace

IObject* CTilloryModule::GetInterface(const char* key)
{
    if (key != nullptr && std::strcmp(key, MomGetTypeNameT<ITilloryModule>()) == 0)
        return static_cast<ITilloryModule*>(this);
    return nullptr;
}

unsigned long CTilloryModule::CheckFileSystem(unsigned long disk, unsigned long firstSectorLow,
                                              unsigned long firstSectorHigh, unsigned long)
{
    try {
        DiskMapEntry entry;
        if (disk > 0xFFFFFFFFul || !CDiskMap().FindByDeviceName(CDiskMap::DeviceName(static_cast<unsigned>(disk)), entry))
            return 0;
        const uint64_t first = (static_cast<uint64_t>(firstSectorHigh & 0xFFFFFFFFul) << 32) |
                               (firstSectorLow & 0xFFFFFFFFul);
        return PartitionIsClean(entry, first) ? 1 : 0;
    } catch (...) { // nothing leaves the module
        return 0;
    }
}
