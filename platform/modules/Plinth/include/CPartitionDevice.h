// A partition of a disk of the disk map as a sector device. Every read and write is
// bounded by the partition; the disk is reached through the file the disk map names
// (a device node or a disk-image file).
#pragma once

#include <string>

#include "IDevice.h"
#include "KSPartitionPlace.h"

class CPartitionDevice : public IDevice {
public:
    explicit CPartitionDevice(const KSPartitionPlace& place);
    ~CPartitionDevice() override;
    int ReadSector(unsigned char* buffer, long long firstSector, long long count) override;
    int WriteSector(unsigned char* buffer, long long firstSector, long long count) override;
    int Open() override;
    int Close() override;

    const KSPartitionPlace& Place() const { return place_; }
    // Valid once open: the disk's file and whether it is a disk-image file.
    const std::string& DiskPath() const { return diskPath_; }
    bool OnImageFile() const { return imageFile_; }
    // The machine's device node of the partition ("/dev/sdb2"); empty for a
    // disk-image file or when no partition of the disk starts there with that length.
    std::string PartitionNode() const;

private:
    CPartitionDevice(const CPartitionDevice&) = delete;
    CPartitionDevice& operator=(const CPartitionDevice&) = delete;
    bool InRange(long long firstSector, long long count) const;

    KSPartitionPlace place_;
    std::string diskPath_;
    bool imageFile_ = false;
    int fd_ = -1;
};
