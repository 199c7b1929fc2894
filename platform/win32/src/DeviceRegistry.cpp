#include "DeviceRegistry.h"

#include "ArrivedDisks.h"
#include "AsciiLower.h"
#include "CDiskMap.h"
#include "DriveTable.h"
#include "FileSliceDevice.h"
#include "MountManagerDevice.h"

namespace ks_platform {

namespace {

constexpr const char* kPhysicalDrive = "physicaldrive";

// "\\.\PhysicalDriveN": the disk map decides which N exist and where their bytes are.
std::shared_ptr<KSDevice> OpenDisk(const std::string& lowerName, DWORD access, DWORD& error)
{
    const std::string suffix = lowerName.substr(std::char_traits<char>::length(kPhysicalDrive));
    DiskMapEntry disk;
    // An arrived disk is found by its number first.
    if (!suffix.empty() && suffix.size() < 6 && suffix.find_first_not_of("0123456789") == std::string::npos) {
        error = ERROR_SUCCESS;
        std::shared_ptr<KSDevice> arrived = OpenArrivedDisk(static_cast<unsigned>(std::stoul(suffix)), error);
        if (arrived || error != ERROR_SUCCESS)
            return arrived;
    }
    if (!CDiskMap().FindByDeviceName(std::string(CDiskMap::kDevicePrefix) + suffix, disk)) {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    return FileSliceDevice::Open(disk.path, 0, disk.sectors * FileSliceDevice::kSectorSize, false, access, error);
}

// "\\.\X:": the drive's volume, a stretch of a disk of the disk map.
std::shared_ptr<KSDevice> OpenVolume(const std::string& name, DWORD access, DWORD& error)
{
    KSDriveEntry drive;
    if (!KSPlatformFindDrive(name[0], drive) || !drive.hasVolume) {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    error = ERROR_SUCCESS;
    std::shared_ptr<KSDevice> arrived = OpenArrivedVolume(drive.volume, error);
    if (arrived || error != ERROR_SUCCESS)
        return arrived;
    for (const DiskMapEntry& disk : CDiskMap().Disks())
        if (disk.number == drive.volume.disk)
            return FileSliceDevice::Open(disk.path, drive.volume.firstSector * FileSliceDevice::kSectorSize,
                                         drive.volume.sectors * FileSliceDevice::kSectorSize,
                                         drive.volume.writeProtected, access, error);
    error = ERROR_FILE_NOT_FOUND;
    return nullptr;
}

} // namespace

DeviceRegistry& DeviceRegistry::Instance()
{
    static DeviceRegistry* registry = new DeviceRegistry;
    return *registry;
}

void DeviceRegistry::Register(const std::string& name, KSDeviceOpener opener)
{
    std::lock_guard<std::mutex> guard(lock_);
    openers_[AsciiLower(name)] = std::move(opener);
}

void DeviceRegistry::Unregister(const std::string& name)
{
    std::lock_guard<std::mutex> guard(lock_);
    openers_.erase(AsciiLower(name));
}

void DeviceRegistry::RegisterFamily(const std::string& prefix, KSDeviceFamilyOpener opener)
{
    std::lock_guard<std::mutex> guard(lock_);
    families_[AsciiLower(prefix)] = std::move(opener);
}

void DeviceRegistry::UnregisterFamily(const std::string& prefix)
{
    std::lock_guard<std::mutex> guard(lock_);
    families_.erase(AsciiLower(prefix));
}

void DeviceRegistry::Clear()
{
    std::lock_guard<std::mutex> guard(lock_);
    openers_.clear();
    families_.clear();
}

std::shared_ptr<KSDevice> DeviceRegistry::Open(const std::string& name, DWORD access, DWORD& error) const
{
    const std::string lower = AsciiLower(name);
    KSDeviceOpener opener;
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto found = openers_.find(lower);
        if (found != openers_.end())
            opener = found->second;
        const size_t separator = lower.find('\\');
        auto family = separator == std::string::npos ? families_.end() : families_.find(lower.substr(0, separator));
        if (!opener && family != families_.end()) {
            KSDeviceFamilyOpener member = family->second;
            const std::string rest = name.substr(separator + 1);
            opener = [member, rest](DWORD access, DWORD& error) { return member(rest, access, error); };
        }
    }
    // The opener runs outside the lock: it may register or open other devices.
    if (opener) {
        error = ERROR_SUCCESS;
        std::shared_ptr<KSDevice> device = opener(access, error);
        if (!device && error == ERROR_SUCCESS)
            error = ERROR_FILE_NOT_FOUND;
        return device;
    }
    if (lower.compare(0, std::char_traits<char>::length(kPhysicalDrive), kPhysicalDrive) == 0)
        return OpenDisk(lower, access, error);
    if (lower == "mountpointmanager")
        return OpenMountManager(access, error);
    if (lower.size() == 2 && lower[1] == ':' && DriveIndexLetter(static_cast<unsigned char>(lower[0])))
        return OpenVolume(lower, access, error);
    error = ERROR_FILE_NOT_FOUND;
    return nullptr;
}

} // namespace ks_platform

void KSPlatformRegisterDevice(const std::string& name, KSDeviceOpener opener)
{
    ks_platform::DeviceRegistry::Instance().Register(name, std::move(opener));
}

void KSPlatformUnregisterDevice(const std::string& name) { ks_platform::DeviceRegistry::Instance().Unregister(name); }

void KSPlatformRegisterDeviceFamily(const std::string& prefix, KSDeviceFamilyOpener opener)
{
    ks_platform::DeviceRegistry::Instance().RegisterFamily(prefix, std::move(opener));
}

void KSPlatformUnregisterDeviceFamily(const std::string& prefix)
{
    ks_platform::DeviceRegistry::Instance().UnregisterFamily(prefix);
}

void KSPlatformClearDevices() { ks_platform::DeviceRegistry::Instance().Clear(); }
