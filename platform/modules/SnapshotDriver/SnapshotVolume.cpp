#include "SnapshotVolume.h"

#include <fcntl.h>
#include <unistd.h>

#include "CDiskMap.h"
#include "KSPlatformControl.h"

namespace {
// Volume ids the stand-in hands out: one per letter.
constexpr uint32_t kVolumeIdBase = 0x5600;
} // namespace

SnapshotVolume::SnapshotVolume(char letter, int fd, uint64_t offset, uint64_t sectors)
    : letter_(letter), id_(kVolumeIdBase + static_cast<uint32_t>(letter - 'A')), fd_(fd), offset_(offset),
      sectors_(sectors)
{
}

SnapshotVolume::~SnapshotVolume() { ::close(fd_); }

std::shared_ptr<SnapshotVolume> SnapshotVolume::Open(char letter)
{
    KSDriveEntry drive;
    if (!KSPlatformFindDrive(letter, drive) || !drive.hasVolume)
        return nullptr;
    for (const DiskMapEntry& disk : CDiskMap().Disks()) {
        if (disk.number != drive.volume.disk)
            continue;
        const int fd = ::open(disk.path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd == -1)
            return nullptr;
        const char upper = static_cast<char>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
        return std::shared_ptr<SnapshotVolume>(
            new SnapshotVolume(upper, fd, drive.volume.firstSector * kSector, drive.volume.sectors));
    }
    return nullptr;
}

DWORD SnapshotVolume::Read(uint64_t firstSector, uint32_t count, void* buffer) const
{
    if (firstSector > sectors_ || count > sectors_ - firstSector)
        return ERROR_SECTOR_NOT_FOUND;
    const size_t bytes = static_cast<size_t>(count) * kSector;
    const ssize_t done = ::pread(fd_, buffer, bytes, static_cast<off_t>(offset_ + firstSector * kSector));
    return done == static_cast<ssize_t>(bytes) ? ERROR_SUCCESS : ERROR_IO_DEVICE;
}

DWORD SnapshotVolume::Write(uint64_t firstSector, uint32_t count, const void* data) const
{
    if (firstSector > sectors_ || count > sectors_ - firstSector)
        return ERROR_SECTOR_NOT_FOUND;
    const size_t bytes = static_cast<size_t>(count) * kSector;
    const ssize_t done = ::pwrite(fd_, data, bytes, static_cast<off_t>(offset_ + firstSector * kSector));
    return done == static_cast<ssize_t>(bytes) ? ERROR_SUCCESS : ERROR_IO_DEVICE;
}
