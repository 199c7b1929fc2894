#include "FileSliceDevice.h"

#include "DiskLayout.h"
#include "LittleEndian.h"

#include "Win32Layer.h"

#include <fcntl.h>
#include <unistd.h>
#include <winioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ks_platform {

std::shared_ptr<KSDevice> FileSliceDevice::Open(const std::string& path, uint64_t offset, uint64_t length,
                                                bool writeProtected, DWORD access, DWORD& error)
{
    const bool writes = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0 && !writeProtected;
    int fd;
    do {
        fd = ::open(path.c_str(), (writes ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    } while (fd == -1 && errno == EINTR);
    if (fd == -1) {
        error = ks_win32::ErrnoToWin32(errno);
        return nullptr;
    }
    return std::shared_ptr<KSDevice>(new FileSliceDevice(fd, offset, length, writeProtected));
}

FileSliceDevice::~FileSliceDevice() { ::close(fd_); }

DWORD FileSliceDevice::Span(uint64_t offset, DWORD size, DWORD& inside) const
{
    if (offset % kSectorSize != 0 || size % kSectorSize != 0)
        return ERROR_INVALID_PARAMETER;
    inside = offset >= length_ ? 0 : static_cast<DWORD>(std::min<uint64_t>(size, length_ - offset));
    return ERROR_SUCCESS;
}

DWORD FileSliceDevice::Read(uint64_t offset, void* buffer, DWORD size, DWORD& done)
{
    done = 0;
    DWORD inside;
    if (DWORD error = Span(offset, size, inside))
        return error;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (done < inside) {
        const ssize_t n = ::pread(fd_, bytes + done, inside - done, static_cast<off_t>(offset_ + offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ks_win32::ErrnoToWin32(errno);
        if (n == 0) {
            // The file behind the device is shorter than the device says: zeros, as
            // a sparse image reads.
            std::memset(bytes + done, 0, inside - done);
            done = inside;
            break;
        }
        done += static_cast<DWORD>(n);
    }
    return ERROR_SUCCESS;
}

DWORD FileSliceDevice::Write(uint64_t offset, const void* data, DWORD size, DWORD& done)
{
    done = 0;
    if (writeProtected_)
        return ERROR_WRITE_PROTECT;
    DWORD inside;
    if (DWORD error = Span(offset, size, inside))
        return error;
    if (inside < size)
        return ERROR_SECTOR_NOT_FOUND; // past the end of the disk or volume: nothing written
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (done < inside) {
        const ssize_t n = ::pwrite(fd_, bytes + done, inside - done, static_cast<off_t>(offset_ + offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno == EBADF ? ERROR_ACCESS_DENIED : ks_win32::ErrnoToWin32(errno);
        if (n == 0)
            return ERROR_DISK_FULL;
        done += static_cast<DWORD>(n);
    }
    return ERROR_SUCCESS;
}

DWORD FileSliceDevice::Control(DWORD code, const void* /*in*/, DWORD /*inSize*/, void* out, DWORD outSize,
                               DWORD& returned)
{
    returned = 0;
    switch (code) {
    case IOCTL_DISK_IS_WRITABLE:
        return writeProtected_ ? ERROR_WRITE_PROTECT : ERROR_SUCCESS;
    case IOCTL_DISK_GET_LENGTH_INFO:
        return AnswerLengthInfo(length_, out, outSize, returned);
    // A volume of this layer takes locks and dismounts at once: nothing else holds it.
    case FSCTL_LOCK_VOLUME:
    case FSCTL_UNLOCK_VOLUME:
    case FSCTL_DISMOUNT_VOLUME:
    case FSCTL_ALLOW_EXTENDED_DASD_IO:
        return ERROR_SUCCESS;
    case IOCTL_DISK_GET_DRIVE_LAYOUT:
        return offset_ == 0 ? DriveLayout(out, outSize, returned) : ERROR_INVALID_FUNCTION;
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

DWORD AnswerLengthInfo(uint64_t length, void* out, DWORD outSize, DWORD& returned)
{
    if (outSize < sizeof(GET_LENGTH_INFORMATION))
        return ERROR_INSUFFICIENT_BUFFER;
    if (!out)
        return ERROR_NOACCESS;
    GET_LENGTH_INFORMATION info;
    info.Length.QuadPart = static_cast<LONGLONG>(length);
    std::memcpy(out, &info, sizeof info);
    returned = sizeof info;
    return ERROR_SUCCESS;
}

DWORD FileSliceDevice::DriveLayout(void* out, DWORD outSize, DWORD& returned) const
{
    std::vector<DosVolume> volumes;
    uint32_t signature = 0;
    if (!ReadDosVolumes(fd_, volumes, &signature))
        return ERROR_NOT_READY;
    return AnswerDriveLayout(volumes, signature, out, outSize, returned);
}

} // namespace ks_platform
