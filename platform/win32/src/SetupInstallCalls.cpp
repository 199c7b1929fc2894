// Registering, installing and removing devices: the class installer's functions, the
// install parameters and compatible drivers of an element, and the driver update for
// the devices of a hardware id.
#include "SetupInfFile.h"
#include "SetupMachine.h"

#include <newdev.h>

#include <cstring>
#include <cwchar>

using namespace ks_platform;

namespace {

using InstallHook = std::function<void(const KSDriverInstall&)>;

// The list and element of a call, the machine locked while it lives; element is null
// (last error set) when the handle or record is not valid or a failure falls due.
struct ElementCall {
    std::unique_lock<std::mutex> guard;
    SetupList* list = nullptr;
    SetupElement* element = nullptr;

    ElementCall(HDEVINFO handle, const SP_DEVINFO_DATA* device, const char* call) : guard(Setup().lock)
    {
        list = FindSetupList(Setup(), handle);
        if (list && !SetupCallFails(Setup(), call))
            element = FindSetupElement(*list, device);
    }
};

BOOL RegisterElement(SetupMachine& machine, SetupElement& element)
{
    SetupNode* node = FindSetupNode(machine, element.devInst);
    if (!node)
        return FALSE;
    node->registered = true;
    return TRUE;
}

BOOL SelectBestDriver(SetupElement& element)
{
    if (element.compatibleInfs.empty()) {
        SetLastError(ERROR_NO_COMPAT_DRIVERS);
        return FALSE;
    }
    element.selectedInf = element.compatibleInfs.front();
    return TRUE;
}

BOOL InstallElement(SetupMachine& machine, SetupElement& element, InstallHook& hook, KSDriverInstall& record)
{
    SetupNode* node = FindSetupNode(machine, element.devInst);
    if (!node)
        return FALSE;
    if (!node->registered) {
        SetLastError(ERROR_DEVINFO_NOT_REGISTERED);
        return FALSE;
    }
    if (element.selectedInf.empty()) {
        SetLastError(ERROR_NO_DRIVER_SELECTED);
        return FALSE;
    }
    node->device.driverInf = element.selectedInf;
    if (machine.restartNeeded)
        element.flags |= DI_NEEDREBOOT;
    hook = RecordDriverInstall(machine, *node, element.selectedInf, "install", record);
    return TRUE;
}

BOOL RemoveElement(SetupMachine& machine, SetupElement& element)
{
    if (!FindSetupNode(machine, element.devInst))
        return FALSE;
    machine.nodes.erase(element.devInst);
    if (machine.restartNeeded)
        element.flags |= DI_NEEDREBOOT;
    return TRUE;
}

void RunInstallHook(const InstallHook& hook, const KSDriverInstall& record)
{
    if (hook)
        hook(record);
}

} // namespace

extern "C" BOOL WINAPI SetupDiRegisterDeviceInfo(HDEVINFO handle, PSP_DEVINFO_DATA device, DWORD, PSP_DETSIG_CMPPROC,
                                                 PVOID, PSP_DEVINFO_DATA)
{
    ElementCall call(handle, device, "SetupDiRegisterDeviceInfo");
    return call.element ? RegisterElement(Setup(), *call.element) : FALSE;
}

extern "C" BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO handle, PSP_DEVINFO_DATA device)
{
    InstallHook hook;
    KSDriverInstall record;
    BOOL done = FALSE;
    {
        ElementCall call(handle, device, "SetupDiCallClassInstaller");
        if (!call.element)
            return FALSE;
        switch (function) {
        case DIF_REGISTERDEVICE:
            done = RegisterElement(Setup(), *call.element);
            break;
        case DIF_SELECTBESTCOMPATDRV:
            done = SelectBestDriver(*call.element);
            break;
        case DIF_INSTALLDEVICE:
            done = InstallElement(Setup(), *call.element, hook, record);
            break;
        case DIF_REMOVE:
            done = RemoveElement(Setup(), *call.element);
            break;
        default:
            SetLastError(ERROR_DI_DO_DEFAULT);
            return FALSE;
        }
    }
    if (done)
        RunInstallHook(hook, record);
    return done;
}

extern "C" BOOL WINAPI SetupDiGetDeviceInstallParamsW(HDEVINFO handle, PSP_DEVINFO_DATA device,
                                                      PSP_DEVINSTALL_PARAMS_W params)
{
    ElementCall call(handle, device, "SetupDiGetDeviceInstallParamsW");
    if (!call.element)
        return FALSE;
    if (!params || params->cbSize != sizeof(SP_DEVINSTALL_PARAMS_W)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    std::memset(params, 0, sizeof *params);
    params->cbSize = sizeof *params;
    params->Flags = call.element->flags;
    params->FlagsEx = call.element->flagsEx;
    std::wcsncpy(params->DriverPath, call.element->driverPath.c_str(), MAX_PATH - 1);
    return TRUE;
}

extern "C" BOOL WINAPI SetupDiSetDeviceInstallParamsW(HDEVINFO handle, PSP_DEVINFO_DATA device,
                                                      PSP_DEVINSTALL_PARAMS_W params)
{
    ElementCall call(handle, device, "SetupDiSetDeviceInstallParamsW");
    if (!call.element)
        return FALSE;
    if (!params || params->cbSize != sizeof(SP_DEVINSTALL_PARAMS_W) ||
        wmemchr(params->DriverPath, L'\0', MAX_PATH) == nullptr) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    call.element->flags = params->Flags;
    call.element->flagsEx = params->FlagsEx;
    call.element->driverPath = params->DriverPath;
    return TRUE;
}

extern "C" BOOL WINAPI SetupDiBuildDriverInfoList(HDEVINFO handle, PSP_DEVINFO_DATA device, DWORD driverType)
{
    std::wstring infPath, hardwareIds;
    {
        ElementCall call(handle, device, "SetupDiBuildDriverInfoList");
        if (!call.element)
            return FALSE;
        if (driverType != SPDIT_COMPATDRIVER && driverType != SPDIT_CLASSDRIVER) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const SetupNode* node = FindSetupNode(Setup(), call.element->devInst);
        if (!node)
            return FALSE;
        call.element->compatibleInfs.clear();
        // Only the one information file named in the parameters is searched here.
        if ((call.element->flags & DI_ENUMSINGLEINF) == 0 || call.element->driverPath.empty())
            return TRUE;
        infPath = call.element->driverPath;
        hardwareIds = node->device.hardwareIds;
    }
    InfFile inf;
    const DWORD error = inf.Load(infPath.c_str());
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    bool names = false;
    for (size_t start = 0; start < hardwareIds.size() && hardwareIds[start] != L'\0';) {
        const size_t end = hardwareIds.find(L'\0', start);
        const size_t stop = end == std::wstring::npos ? hardwareIds.size() : end;
        names = names || inf.NamesHardwareId(hardwareIds.substr(start, stop - start));
        start = stop + 1;
    }
    ElementCall call(handle, device, "SetupDiBuildDriverInfoList.store");
    if (!call.element)
        return FALSE;
    if (names)
        call.element->compatibleInfs.push_back(infPath);
    return TRUE;
}

extern "C" BOOL WINAPI SetupDiSelectBestCompatDrv(HDEVINFO handle, PSP_DEVINFO_DATA device)
{
    ElementCall call(handle, device, "SetupDiSelectBestCompatDrv");
    return call.element ? SelectBestDriver(*call.element) : FALSE;
}

extern "C" BOOL WINAPI SetupDiSetSelectedDevice(HDEVINFO handle, PSP_DEVINFO_DATA device)
{
    ElementCall call(handle, device, "SetupDiSetSelectedDevice");
    if (!call.element)
        return FALSE;
    call.list->selected = call.element->devInst;
    return TRUE;
}

extern "C" BOOL WINAPI SetupDiInstallDevice(HDEVINFO handle, PSP_DEVINFO_DATA device)
{
    InstallHook hook;
    KSDriverInstall record;
    {
        ElementCall call(handle, device, "SetupDiInstallDevice");
        if (!call.element || !InstallElement(Setup(), *call.element, hook, record))
            return FALSE;
    }
    RunInstallHook(hook, record);
    return TRUE;
}

extern "C" BOOL WINAPI SetupDiRemoveDevice(HDEVINFO handle, PSP_DEVINFO_DATA device)
{
    ElementCall call(handle, device, "SetupDiRemoveDevice");
    return call.element ? RemoveElement(Setup(), *call.element) : FALSE;
}

extern "C" BOOL WINAPI UpdateDriverForPlugAndPlayDevicesW(HWND, LPCWSTR hardwareId, LPCWSTR fullInfPath,
                                                          DWORD installFlags, PBOOL rebootRequired)
{
    SetupMachine& machine = Setup();
    {
        std::lock_guard<std::mutex> guard(machine.lock);
        if (SetupCallFails(machine, "UpdateDriverForPlugAndPlayDevicesW"))
            return FALSE;
        if (machine.wow64) {
            SetLastError(ERROR_IN_WOW64);
            return FALSE;
        }
    }
    if (!hardwareId || !*hardwareId || !fullInfPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if ((installFlags & ~(INSTALLFLAG_FORCE | INSTALLFLAG_READONLY | INSTALLFLAG_NONINTERACTIVE)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return FALSE;
    }
    InfFile inf;
    const DWORD error = inf.Load(fullInfPath);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    if (!inf.NamesHardwareId(hardwareId)) {
        SetLastError(ERROR_NO_COMPAT_DRIVERS);
        return FALSE;
    }
    std::vector<std::pair<InstallHook, KSDriverInstall>> done;
    bool restart = false;
    {
        std::lock_guard<std::mutex> guard(machine.lock);
        std::vector<SetupNode*> matches;
        bool anyNew = false;
        for (auto& entry : machine.nodes) {
            SetupNode& node = entry.second;
            if (node.registered && node.device.present && MultiStringHolds(node.device.hardwareIds, hardwareId)) {
                matches.push_back(&node);
                anyNew = anyNew || !SameDeviceId(node.device.driverInf, fullInfPath);
            }
        }
        if (matches.empty()) {
            SetLastError(ERROR_NO_SUCH_DEVINST);
            return FALSE;
        }
        // Without force, a driver already in place from the same file stays.
        if (!anyNew && (installFlags & INSTALLFLAG_FORCE) == 0) {
            SetLastError(ERROR_NO_MORE_ITEMS);
            return FALSE;
        }
        for (SetupNode* node : matches) {
            node->device.driverInf = fullInfPath;
            KSDriverInstall record;
            InstallHook hook = RecordDriverInstall(machine, *node, fullInfPath, "update", record);
            done.emplace_back(hook, record);
        }
        restart = machine.restartNeeded;
    }
    if (rebootRequired)
        *rebootRequired = restart ? TRUE : FALSE;
    for (const auto& install : done)
        RunInstallHook(install.first, install.second);
    return TRUE;
}
