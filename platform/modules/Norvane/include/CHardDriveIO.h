// Sector access for the NTFS layer: 512-byte sectors read and written through the
// sector device of the setting this object loaded. The object does not own the
// device.
#pragma once

#include "CHardDriveIOSetting.h"

class CHardDriveIO {
public:
    enum : unsigned { SECTOR_SIZE = 512 };

    CHardDriveIO() = default;
    // A disk of the disk map is a file descriptor of its own: one owner closes it,
    // at the latest when the object dies.
    CHardDriveIO(const CHardDriveIO&) = delete;
    CHardDriveIO& operator=(const CHardDriveIO&) = delete;
    ~CHardDriveIO();

    // Takes the device (and manager) to use from now on; closes an open disk first.
    void LoadSetting(const CHardDriveIOSetting& setting);

    // Opens a disk. While a device is loaded, every number (-1 among them) means
    // that device. Without one, a number from 0 up names a disk of the disk map
    // (the disks of the device manager's tree, "\\.\PhysicalDriveN"), opened for
    // reading and writing, or for reading alone when writing is not allowed.
    bool OpenDisk(int diskNumber);
    bool CloseDisk();
    bool IsOpen() const { return open_; }
    int GetDiskNumber() const { return diskNumber_; }

    // count sectors from first; false when not open, count is not positive, the
    // sectors lie past the end of the disk, or the device fails.
    bool ReadSector(unsigned char* buffer, long long first, long long count);
    bool WriteSector(unsigned char* buffer, long long first, long long count);

private:
    bool OpenMappedDisk(int diskNumber);
    // Byte offset and length of a sector range, false when they overflow.
    static bool ByteRange(long long first, long long count, long long& offset, long long& length);

    CHardDriveIOSetting setting_;
    bool open_ = false;
    int diskNumber_ = -1;
    // The disk-map disk that is open, -1 when the loaded device serves instead.
    int fd_ = -1;
};
