// The raw disk on Linux: the disk map says which disks exist and where their bytes
// are; reads and writes are positioned, so one descriptor serves any thread's order.
#include "../RawDiskFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "CDiskMap.h"

int OpenRawDisk(int diskNumber)
{
    if (diskNumber < 0)
        return -1;
    for (const DiskMapEntry& disk : CDiskMap().Disks()) {
        if (disk.number != static_cast<unsigned>(diskNumber))
            continue;
        int fd = ::open(disk.path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
            fd = ::open(disk.path.c_str(), O_RDONLY | O_CLOEXEC);
        return fd;
    }
    return -1;
}

bool CloseRawDisk(int fd) { return ::close(fd) == 0; }

bool ReadRawDisk(int fd, unsigned char* buffer, long long offset, long long length)
{
    for (long long done = 0; done < length;) {
        const ssize_t got = ::pread(fd, buffer + done, static_cast<size_t>(length - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false; // an error, or the end of the disk
        done += got;
    }
    return true;
}

bool WriteRawDisk(int fd, const unsigned char* buffer, long long offset, long long length)
{
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0 || length > end || offset > end - length)
        return false;
    for (long long done = 0; done < length;) {
        const ssize_t put = ::pwrite(fd, buffer + done, static_cast<size_t>(length - done), offset + done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += put;
    }
    return true;
}
