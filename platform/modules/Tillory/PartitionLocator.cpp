#include "PartitionLocator.h"

#include <blkid/blkid.h>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr uint64_t kLocatorSectorBytes = 512;
}

bool PartitionLocator::Find(const std::string& diskPath, uint64_t firstSector, LocatedPartition& out)
{
    blkid_probe probe = blkid_new_probe_from_filename(diskPath.c_str());
    if (probe == nullptr)
        return false;
    bool found = false;
    blkid_partlist list = blkid_probe_get_partitions(probe);
    const int count = list != nullptr ? blkid_partlist_numof_partitions(list) : 0;
    for (int i = 0; i < count && !found; ++i) {
        blkid_partition p = blkid_partlist_get_partition(list, i);
        // libblkid counts in 512-byte sectors whatever the disk's sector size.
        if (p == nullptr || blkid_partition_is_extended(p) || blkid_partition_get_start(p) < 0 ||
            static_cast<uint64_t>(blkid_partition_get_start(p)) != firstSector)
            continue;
        out.start = firstSector;
        out.sectors = static_cast<uint64_t>(blkid_partition_get_size(p));
        out.number = blkid_partition_get_partno(p);
        found = out.sectors > 0;
    }
    blkid_free_probe(probe);
    if (found)
        out.fileSystem = FileSystemAt(diskPath, out.start * kLocatorSectorBytes, out.sectors * kLocatorSectorBytes);
    return found;
}

std::string PartitionLocator::FileSystemAt(const std::string& path, uint64_t offset, uint64_t size)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::string();
    std::string type;
    blkid_probe probe = blkid_new_probe();
    if (probe != nullptr && blkid_probe_set_device(probe, fd, static_cast<blkid_loff_t>(offset),
                                                   static_cast<blkid_loff_t>(size)) == 0) {
        blkid_probe_enable_superblocks(probe, 1);
        blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_TYPE);
        const char* value = nullptr;
        if (blkid_do_safeprobe(probe) == 0 && blkid_probe_lookup_value(probe, "TYPE", &value, nullptr) == 0 &&
            value != nullptr)
            type = value;
    }
    if (probe != nullptr)
        blkid_free_probe(probe);
    close(fd);
    return type;
}
