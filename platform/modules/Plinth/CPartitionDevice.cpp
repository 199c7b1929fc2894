#include "CPartitionDevice.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "CDiskMap.h"

namespace {
constexpr long long kSectorBytes = 512;

uint64_t ReadSysfsNumber(const std::string& path)
{
    std::ifstream in(path);
    uint64_t value = 0;
    in >> value;
    return in ? value : UINT64_MAX;
}
}

CPartitionDevice::CPartitionDevice(const KSPartitionPlace& place) : place_(place) {}

CPartitionDevice::~CPartitionDevice() { Close(); }

int CPartitionDevice::Open()
{
    Close();
    DiskMapEntry entry;
    if (!CDiskMap().FindByDeviceName(CDiskMap::DeviceName(place_.disk), entry))
        return 0;
    if (place_.sectorCount == 0 || place_.firstSector + place_.sectorCount > entry.sectors)
        return 0;
    fd_ = open(entry.path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0)
        return 0;
    diskPath_ = entry.path;
    imageFile_ = entry.imageFile;
    return 1;
}

int CPartitionDevice::Close()
{
    if (fd_ < 0)
        return 0;
    close(fd_);
    fd_ = -1;
    return 1;
}

bool CPartitionDevice::InRange(long long firstSector, long long count) const
{
    return fd_ >= 0 && firstSector >= 0 && count >= 0 && uint64_t(count) <= place_.sectorCount &&
           uint64_t(firstSector) <= place_.sectorCount - uint64_t(count);
}

int CPartitionDevice::ReadSector(unsigned char* buffer, long long firstSector, long long count)
{
    if (buffer == nullptr || !InRange(firstSector, count))
        return 0;
    const size_t bytes = size_t(count) * kSectorBytes;
    const off_t at = off_t(place_.firstSector + uint64_t(firstSector)) * kSectorBytes;
    for (size_t done = 0; done < bytes;) {
        const ssize_t n = pread(fd_, buffer + done, bytes - done, at + off_t(done));
        if (n <= 0)
            return 0;
        done += size_t(n);
    }
    return 1;
}

int CPartitionDevice::WriteSector(unsigned char* buffer, long long firstSector, long long count)
{
    if (buffer == nullptr || !InRange(firstSector, count))
        return 0;
    const size_t bytes = size_t(count) * kSectorBytes;
    const off_t at = off_t(place_.firstSector + uint64_t(firstSector)) * kSectorBytes;
    for (size_t done = 0; done < bytes;) {
        const ssize_t n = pwrite(fd_, buffer + done, bytes - done, at + off_t(done));
        if (n <= 0)
            return 0;
        done += size_t(n);
    }
    return 1;
}

std::string CPartitionDevice::PartitionNode() const
{
    if (fd_ < 0 || imageFile_)
        return std::string();
    // "/dev/sdb" is "/sys/block/sdb"; its partitions are the folders with a "partition" file.
    const std::string disk = diskPath_.substr(diskPath_.rfind('/') + 1);
    for (int n = 1; n < 256; ++n) {
        for (const std::string& name : {disk + std::to_string(n), disk + "p" + std::to_string(n)}) {
            const std::string folder = "/sys/block/" + disk + "/" + name;
            if (ReadSysfsNumber(folder + "/start") == place_.firstSector &&
                ReadSysfsNumber(folder + "/size") == place_.sectorCount)
                return "/dev/" + name;
        }
    }
    return std::string();
}
