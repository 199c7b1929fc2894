// Where a CHardDriveIO object takes its sectors from: a device manager (the disk
// tree of the device-manager module) and/or a sector device. Each raw-disk object
// loads its own setting, so two readers in one process never share a device.
#pragma once

class IDevice;
class IManager;

class CHardDriveIOSetting {
public:
    explicit CHardDriveIOSetting(IManager* manager = nullptr, IDevice* device = nullptr)
        : manager_(manager), device_(device)
    {
    }

    void SetDevice(IDevice* device) { device_ = device; }
    IDevice* GetDevice() const { return device_; }
    IManager* GetManager() const { return manager_; }

private:
    IManager* manager_;
    IDevice* device_;
};
