#include "CHardDriveIO.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

#include "CDiskMap.h"
#include "IDevice.h"

CHardDriveIO::~CHardDriveIO()
{
    // Only the disk this object opened itself is closed here: a loaded device
    // belongs to someone else and may already be gone.
    if (fd_ >= 0)
        ::close(fd_);
}

void CHardDriveIO::LoadSetting(const CHardDriveIOSetting& setting)
{
    CloseDisk();
    setting_ = setting;
}

bool CHardDriveIO::OpenDisk(int diskNumber)
{
    CloseDisk();
    IDevice* device = setting_.GetDevice();
    if (device == nullptr)
        return OpenMappedDisk(diskNumber);
    if (!device->Open())
        return false;
    open_ = true;
    diskNumber_ = diskNumber;
    return true;
}

bool CHardDriveIO::OpenMappedDisk(int diskNumber)
{
    if (diskNumber < 0)
        return false;
    for (const DiskMapEntry& disk : CDiskMap().Disks()) {
        if (disk.number != static_cast<unsigned>(diskNumber))
            continue;
        int fd = ::open(disk.path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
            fd = ::open(disk.path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        fd_ = fd;
        open_ = true;
        diskNumber_ = diskNumber;
        return true;
    }
    return false;
}

bool CHardDriveIO::CloseDisk()
{
    if (!open_)
        return true;
    open_ = false;
    diskNumber_ = -1;
    if (fd_ >= 0) {
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }
    IDevice* device = setting_.GetDevice();
    return device == nullptr || device->Close() != 0;
}

bool CHardDriveIO::ByteRange(long long first, long long count, long long& offset, long long& length)
{
    if (first < 0 || count <= 0 || first > LLONG_MAX / SECTOR_SIZE || count > LLONG_MAX / SECTOR_SIZE)
        return false;
    offset = first * SECTOR_SIZE;
    length = count * SECTOR_SIZE;
    return length <= LLONG_MAX - offset;
}

bool CHardDriveIO::ReadSector(unsigned char* buffer, long long first, long long count)
{
    long long offset = 0, length = 0;
    if (!open_ || buffer == nullptr || !ByteRange(first, count, offset, length))
        return false;
    if (fd_ < 0)
        return setting_.GetDevice()->ReadSector(buffer, first, count) != 0;
    for (long long done = 0; done < length;) {
        const ssize_t got = ::pread(fd_, buffer + done, static_cast<size_t>(length - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false; // an error, or the end of the disk
        done += got;
    }
    return true;
}

bool CHardDriveIO::WriteSector(unsigned char* buffer, long long first, long long count)
{
    long long offset = 0, length = 0;
    if (!open_ || buffer == nullptr || !ByteRange(first, count, offset, length))
        return false;
    if (fd_ < 0)
        return setting_.GetDevice()->WriteSector(buffer, first, count) != 0;
    // A disk does not grow: sectors past its end are refused, not appended to an
    // image file.
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0 || length > end || offset > end - length)
        return false;
    for (long long done = 0; done < length;) {
        const ssize_t put = ::pwrite(fd_, buffer + done, static_cast<size_t>(length - done), offset + done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += put;
    }
    return true;
}
