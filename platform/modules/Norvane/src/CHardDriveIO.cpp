#include "CHardDriveIO.h"

#include <climits>

#include "IDevice.h"
#include "RawDiskFile.h"

CHardDriveIO::~CHardDriveIO()
{
    // Only the disk this object opened itself is closed here: a loaded device
    // belongs to someone else and may already be gone.
    if (fd_ >= 0)
        CloseRawDisk(fd_);
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
    const int fd = OpenRawDisk(diskNumber);
    if (fd < 0)
        return false;
    fd_ = fd;
    open_ = true;
    diskNumber_ = diskNumber;
    return true;
}

bool CHardDriveIO::CloseDisk()
{
    if (!open_)
        return true;
    open_ = false;
    diskNumber_ = -1;
    if (fd_ >= 0) {
        const bool closed = CloseRawDisk(fd_);
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
    return ReadRawDisk(fd_, buffer, offset, length);
}

bool CHardDriveIO::WriteSector(unsigned char* buffer, long long first, long long count)
{
    long long offset = 0, length = 0;
    if (!open_ || buffer == nullptr || !ByteRange(first, count, offset, length))
        return false;
    if (fd_ < 0)
        return setting_.GetDevice()->WriteSector(buffer, first, count) != 0;
    return WriteRawDisk(fd_, buffer, offset, length);
}
