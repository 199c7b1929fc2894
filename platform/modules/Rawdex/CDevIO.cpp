#include "CDevIO.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

#include "CDiskMap.h"
#include "KSResult.h"

namespace {
constexpr unsigned long kReadFailed = 0x256;
constexpr unsigned long kOpenFailed = 0x104;
}

CDevIO::~CDevIO() { Close(); }

unsigned long CDevIO::Release()
{
    delete this;
    return 0;
}

unsigned long CDevIO::Open(const char* deviceName)
{
    Close();
    if (deviceName == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    DiskMapEntry disk;
    if (!CDiskMap().FindByDeviceName(deviceName, disk))
        return KS_RESULT(KS_MODULE_BACKUP, kOpenFailed);
    fd_ = open(disk.path.c_str(), O_RDWR | O_CLOEXEC);
    writable_ = fd_ >= 0;
    if (fd_ < 0)
        fd_ = open(disk.path.c_str(), O_RDONLY | O_CLOEXEC);
    return fd_ >= 0 ? 0 : KS_RESULT(KS_MODULE_BACKUP, kOpenFailed);
}

unsigned long CDevIO::Close()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    writable_ = false;
    return 0;
}

unsigned long CDevIO::Read(unsigned long firstLow, unsigned long firstHigh, unsigned long count, void* buffer)
{
    return Transfer(firstLow, firstHigh, count, buffer, false);
}

unsigned long CDevIO::Write(unsigned long firstLow, unsigned long firstHigh, unsigned long count, const void* data)
{
    return Transfer(firstLow, firstHigh, count, const_cast<void*>(data), true);
}

unsigned long CDevIO::Transfer(unsigned long firstLow, unsigned long firstHigh, unsigned long count, void* buffer,
                               bool write)
{
    if (fd_ < 0 || (write && !writable_))
        return KS_RESULT(KS_MODULE_BACKUP, 0x005);
    if (buffer == nullptr && count != 0)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    const uint64_t first = (static_cast<uint64_t>(firstHigh & 0xFFFFFFFFul) << 32) | (firstLow & 0xFFFFFFFFul);
    if (first > (UINT64_MAX / KS_DEVIO_SECTOR) - count)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    uint64_t offset = first * KS_DEVIO_SECTOR;
    size_t left = static_cast<size_t>(count) * KS_DEVIO_SECTOR;
    unsigned char* p = static_cast<unsigned char*>(buffer);
    while (left > 0) {
        const ssize_t n = write ? pwrite(fd_, p, left, static_cast<off_t>(offset))
                                : pread(fd_, p, left, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return KS_RESULT(KS_MODULE_BACKUP, write ? 0x107 : kReadFailed);
        p += n;
        left -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return 0;
}
