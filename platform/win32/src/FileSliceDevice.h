// A disk or a volume as a stretch of a file: the disk map's disk (a device node or a
// disk-image file) from a byte offset on, for a length. Reads and writes go by whole
// 512-byte sectors, as on a raw Windows disk; a write-protected one refuses writes.
#pragma once

#include "KSPlatformControl.h"

#include <memory>
#include <string>

namespace ks_platform {

// IOCTL_DISK_GET_LENGTH_INFO's answer for a device of length bytes.
DWORD AnswerLengthInfo(uint64_t length, void* out, DWORD outSize, DWORD& returned);

class FileSliceDevice : public KSDevice {
public:
    // Opens path for reading, and for writing too when access asks for it and the
    // device is not write-protected. Null with error set when the open fails.
    static std::shared_ptr<KSDevice> Open(const std::string& path, uint64_t offset, uint64_t length,
                                          bool writeProtected, DWORD access, DWORD& error);
    ~FileSliceDevice() override;

    DWORD Read(uint64_t offset, void* buffer, DWORD size, DWORD& done) override;
    DWORD Write(uint64_t offset, const void* data, DWORD size, DWORD& done) override;
    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) override;
    uint64_t Size() const override { return length_; }

    static constexpr DWORD kSectorSize = 512;

private:
    FileSliceDevice(int fd, uint64_t offset, uint64_t length, bool writeProtected)
        : fd_(fd), offset_(offset), length_(length), writeProtected_(writeProtected)
    {
    }
    // How many of size bytes at offset lie inside the device; ERROR_INVALID_PARAMETER
    // for a stretch that is not whole sectors.
    DWORD Span(uint64_t offset, DWORD size, DWORD& inside) const;
    // IOCTL_DISK_GET_DRIVE_LAYOUT of a whole disk.
    DWORD DriveLayout(void* out, DWORD outSize, DWORD& returned) const;

    const int fd_;
    const uint64_t offset_;
    const uint64_t length_;
    const bool writeProtected_;
};

} // namespace ks_platform
