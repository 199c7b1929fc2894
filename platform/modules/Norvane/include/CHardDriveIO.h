// Sector access for the NTFS layer: 512-byte sectors read and written through the
// sector device of the setting this object loaded. The object does not own the
// device.
#pragma once

#include "CHardDriveIOSetting.h"

class CHardDriveIO {
public:
    enum : unsigned { SECTOR_SIZE = 512 };

    // Takes the device (and manager) to use from now on; closes an open disk first.
    void LoadSetting(const CHardDriveIOSetting& setting);

    // Opens the loaded device. The disk number selects a disk of the manager's tree;
    // -1 (or any number while a device is loaded) means the loaded device itself.
    // Disks of a manager are not reached by this layer: without a device this fails.
    bool OpenDisk(int diskNumber);
    bool CloseDisk();
    bool IsOpen() const { return open_; }
    int GetDiskNumber() const { return diskNumber_; }

    // count sectors from first; false when not open, count is not positive, or the
    // device fails.
    bool ReadSector(unsigned char* buffer, long long first, long long count);
    bool WriteSector(unsigned char* buffer, long long first, long long count);

private:
    CHardDriveIOSetting setting_;
    bool open_ = false;
    int diskNumber_ = -1;
};
