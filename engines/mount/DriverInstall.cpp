#include "DriverInstall.h"

#include "DriverPackage.h"
#include "KSResult.h"
#include "ModuleHeap.h"
#include "MountKinds.h"

#include <windows.h>

#include <newdev.h>
#include <setupapi.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

unsigned long InstallFailed() { return KS_RESULT(KS_MODULE_HELPERS, MountKind::kDriverInstall); }
unsigned long RestartNeeded() { return KS_RESULT(KS_MODULE_HELPERS, MountKind::kRestartNeeded); }
unsigned long NoMemory() { return KS_RESULT(KS_MODULE_HELPERS, MountKind::kNoMemory); }

// The package as read once: its information file and class.
struct Package {
    std::wstring inf;
    GUID classGuid{};
    wchar_t className[kClassNameChars] = {};
};

// The bus device one way makes: an element of the package's class in a list of its
// own, with a generated id and the bus's hardware id. Unless the way keeps it, the
// device is removed again, so that a failed way leaves nothing half-installed.
class NewBusDevice {
public:
    explicit NewBusDevice(const Package& package) : list_(SetupDiCreateDeviceInfoList(&package.classGuid, nullptr))
    {
        device_.cbSize = sizeof device_;
        if (list_ == INVALID_HANDLE_VALUE)
            return;
        created_ = SetupDiCreateDeviceInfoW(list_, package.className, &package.classGuid, nullptr, nullptr,
                                            DICD_GENERATE_ID, &device_) != FALSE;
    }
    ~NewBusDevice()
    {
        if (created_ && !kept_)
            SetupDiRemoveDevice(list_, &device_);
        if (list_ != INVALID_HANDLE_VALUE)
            SetupDiDestroyDeviceInfoList(list_);
    }
    NewBusDevice(const NewBusDevice&) = delete;
    NewBusDevice& operator=(const NewBusDevice&) = delete;

    // Gives the element its hardware id (a multi-string, kept in the module heap).
    // kind 0x100 when the element could not be made or named, 0x008 without memory.
    unsigned long Name()
    {
        if (!created_)
            return InstallFailed();
        const size_t chars = std::wcslen(kBusHardwareId) + 2;   // the id, its NUL, the closing NUL
        ModuleBuffer ids(chars * sizeof(wchar_t));
        if (ids.Data() == nullptr)
            return NoMemory();
        std::memcpy(ids.Data(), kBusHardwareId, (chars - 2) * sizeof(wchar_t));
        if (!SetupDiSetDeviceRegistryPropertyW(list_, &device_, SPDRP_HARDWAREID, static_cast<const BYTE*>(ids.Data()),
                                               static_cast<DWORD>(chars * sizeof(wchar_t))))
            return InstallFailed();
        return 0;
    }
    HDEVINFO List() const { return list_; }
    SP_DEVINFO_DATA* Device() { return &device_; }
    void Keep() { kept_ = true; }

private:
    HDEVINFO list_;
    SP_DEVINFO_DATA device_ = {};
    bool created_ = false;
    bool kept_ = false;
};

// The driver from the package for every device with the bus's hardware id; true
// with restart set when the change waits for one.
bool UpdateBusDriver(const Package& package, bool& restart)
{
    BOOL reboot = FALSE;
    if (!UpdateDriverForPlugAndPlayDevicesW(nullptr, kBusHardwareId, package.inf.c_str(), INSTALLFLAG_FORCE, &reboot))
        return false;
    restart = restart || reboot != FALSE;
    return true;
}

// The class installer registers the new device; the driver update installs it.
unsigned long InstallThroughClassInstaller(const Package& package)
{
    NewBusDevice bus(package);
    const unsigned long named = bus.Name();
    if (named != 0)
        return named;
    bool restart = false;
    if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, bus.List(), bus.Device()) || !UpdateBusDriver(package, restart))
        return InstallFailed();
    bus.Keep();
    return restart ? RestartNeeded() : 0;
}

// Each step by itself: register, point the install parameters at the one information
// file, pick its driver, install it, then the driver update.
unsigned long InstallStepByStep(const Package& package)
{
    NewBusDevice bus(package);
    const unsigned long named = bus.Name();
    if (named != 0)
        return named;
    if (!SetupDiRegisterDeviceInfo(bus.List(), bus.Device(), 0, nullptr, nullptr, nullptr))
        return InstallFailed();
    ModuleBuffer buffer(sizeof(SP_DEVINSTALL_PARAMS_W));
    if (buffer.Data() == nullptr)
        return NoMemory();
    auto* params = static_cast<SP_DEVINSTALL_PARAMS_W*>(buffer.Data());
    params->cbSize = sizeof *params;
    if (package.inf.size() >= MAX_PATH || !SetupDiGetDeviceInstallParamsW(bus.List(), bus.Device(), params))
        return InstallFailed();
    params->Flags |= DI_ENUMSINGLEINF;
    std::wmemcpy(params->DriverPath, package.inf.c_str(), package.inf.size() + 1);
    if (!SetupDiSetDeviceInstallParamsW(bus.List(), bus.Device(), params) ||
        !SetupDiBuildDriverInfoList(bus.List(), bus.Device(), SPDIT_COMPATDRIVER) ||
        !SetupDiSetSelectedDevice(bus.List(), bus.Device()) || !SetupDiSelectBestCompatDrv(bus.List(), bus.Device()) ||
        !SetupDiInstallDevice(bus.List(), bus.Device()))
        return InstallFailed();
    bool restart = SetupDiGetDeviceInstallParamsW(bus.List(), bus.Device(), params) &&
                   (params->Flags & (DI_NEEDRESTART | DI_NEEDREBOOT)) != 0;
    if (!UpdateBusDriver(package, restart))
        return InstallFailed();
    bus.Keep();
    return restart ? RestartNeeded() : 0;
}

} // namespace

unsigned long InstallDriverInProcess(const wchar_t* folder, unsigned long)
{
    if (folder == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kBadArgument);
    Package package;
    package.inf = DriverInfPath(folder);
    if (!SetupDiGetINFClassW(package.inf.c_str(), &package.classGuid, package.className, kClassNameChars, nullptr))
        return InstallFailed();
    const unsigned long first = InstallThroughClassInstaller(package);
    if (first == 0 || KSResultKind(first) == MountKind::kRestartNeeded)
        return first;
    return InstallStepByStep(package);
}
