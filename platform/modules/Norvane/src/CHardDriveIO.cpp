#include "CHardDriveIO.h"

#include "IDevice.h"

void CHardDriveIO::LoadSetting(const CHardDriveIOSetting& setting)
{
    CloseDisk();
    setting_ = setting;
}

bool CHardDriveIO::OpenDisk(int diskNumber)
{
    CloseDisk();
    IDevice* device = setting_.GetDevice();
    if (device == nullptr || !device->Open())
        return false;
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
    IDevice* device = setting_.GetDevice();
    return device == nullptr || device->Close() != 0;
}

bool CHardDriveIO::ReadSector(unsigned char* buffer, long long first, long long count)
{
    if (!open_ || buffer == nullptr || first < 0 || count <= 0)
        return false;
    return setting_.GetDevice()->ReadSector(buffer, first, count) != 0;
}

bool CHardDriveIO::WriteSector(unsigned char* buffer, long long first, long long count)
{
    if (!open_ || buffer == nullptr || first < 0 || count <= 0)
        return false;
    return setting_.GetDevice()->WriteSector(buffer, first, count) != 0;
}
