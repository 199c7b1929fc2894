// One lettered volume the stand-in serves: a stretch of a disk-map image, read and
// written by 512-byte sectors with pread/pwrite.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

class SnapshotVolume {
public:
    // The drive table's volume of letter, or null when it has none.
    static std::shared_ptr<SnapshotVolume> Open(char letter);
    ~SnapshotVolume();
    SnapshotVolume(const SnapshotVolume&) = delete;
    SnapshotVolume& operator=(const SnapshotVolume&) = delete;

    char Letter() const { return letter_; }
    uint32_t Id() const { return id_; }
    uint64_t Sectors() const { return sectors_; }
    // ERROR_SUCCESS, ERROR_SECTOR_NOT_FOUND past the volume's end, or ERROR_IO_DEVICE.
    DWORD Read(uint64_t firstSector, uint32_t count, void* buffer) const;
    DWORD Write(uint64_t firstSector, uint32_t count, const void* data) const;

    static constexpr uint32_t kSector = 512;

private:
    SnapshotVolume(char letter, int fd, uint64_t offset, uint64_t sectors);

    const char letter_;
    const uint32_t id_;
    const int fd_;
    const uint64_t offset_;
    const uint64_t sectors_;
};
