// Which "\\.\NAME" devices there are: names registered by tests or stand-in modules,
// then the disk map's "PhysicalDriveN" and the drive table's "X:" volumes.
#pragma once

#include "KSPlatformControl.h"

#include <map>
#include <mutex>

namespace ks_platform {

class DeviceRegistry {
public:
    static DeviceRegistry& Instance();

    void Register(const std::string& name, KSDeviceOpener opener);
    void Unregister(const std::string& name);
    void RegisterFamily(const std::string& prefix, KSDeviceFamilyOpener opener);
    void UnregisterFamily(const std::string& prefix);
    void Clear();
    // The device for one open of name (what follows "\\.\"), or null with error set
    // (ERROR_FILE_NOT_FOUND for a name no device answers to).
    std::shared_ptr<KSDevice> Open(const std::string& name, DWORD access, DWORD& error) const;

private:
    mutable std::mutex lock_;
    std::map<std::string, KSDeviceOpener> openers_; // by lower-case name
    std::map<std::string, KSDeviceFamilyOpener> families_; // by lower-case prefix
};

} // namespace ks_platform
