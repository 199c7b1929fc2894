#include "DriverRemoval.h"

#include "DriverPackage.h"
#include "KSResult.h"
#include "ModuleHeap.h"
#include "MountKinds.h"
#include "PendingInstalls.h"
#include "VolumeUtils.h"

#include <windows.h>

#include <setupapi.h>

#include <string>

namespace {

// Removes the device the list's record names; 0, 0x05F, 0x100, or 0x008 before
// anything is removed when there is no room to read the outcome.
unsigned long RemoveFoundDevice(HDEVINFO list, SP_DEVINFO_DATA& device)
{
    ModuleBuffer buffer(sizeof(SP_DEVINSTALL_PARAMS_W));
    if (buffer.Data() == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kNoMemory);
    if (!SetupDiRemoveDevice(list, &device))
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kDriverInstall);
    auto* params = static_cast<SP_DEVINSTALL_PARAMS_W*>(buffer.Data());
    params->cbSize = sizeof *params;
    if (!SetupDiGetDeviceInstallParamsW(list, &device, params))
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kDriverInstall);
    if ((params->Flags & (DI_NEEDRESTART | DI_NEEDREBOOT)) != 0)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kRestartNeeded);
    return 0;
}

} // namespace

unsigned long RemoveBusDevice(const wchar_t* folder)
{
    const std::wstring inf = DriverInfPath(folder);
    if (!WaitForNoPendingInstalls(10))
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kPendingInstalls);
    GUID classGuid = {};
    wchar_t className[kClassNameChars] = {};
    if (!SetupDiGetINFClassW(inf.c_str(), &classGuid, className, kClassNameChars, nullptr))
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kDriverInstall);
    SP_DEVINFO_DATA device = {};
    HDEVINFO list = FindDeviceNode(kBusHardwareId, device);
    if (list == INVALID_HANDLE_VALUE)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kDriverInstall);
    const unsigned long rc = RemoveFoundDevice(list, device);
    SetupDiDestroyDeviceInfoList(list);
    return rc;
}
