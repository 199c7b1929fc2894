// The interfaces of a list made with DIGCF_DEVICEINTERFACE, and their paths.
#include "SetupMachine.h"

#include <cstddef>
#include <cstring>

using namespace ks_platform;

namespace {

// The list's interface a record names, or null with ERROR_INVALID_PARAMETER.
const SetupInterface* FindInterface(const SetupList& list, const SP_DEVICE_INTERFACE_DATA* data)
{
    if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) || data->Reserved >= list.interfaces.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return &list.interfaces[data->Reserved];
}

// Copies the path as Char units after the detail record's size field, following the
// too-small-buffer protocol.
template <typename Detail, typename Char>
BOOL GetDetail(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA data, Detail* detail, DWORD detailSize,
               PDWORD requiredSize, PSP_DEVINFO_DATA device, const char* call)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    SetupList* list = FindSetupList(machine, handle);
    if (!list || SetupCallFails(machine, call))
        return FALSE;
    const SetupInterface* entry = FindInterface(*list, data);
    if (!entry)
        return FALSE;
    if (device) {
        // Interfaces are not tied to nodes of this machine's list.
        SetLastError(ERROR_NO_SUCH_DEVINST);
        return FALSE;
    }
    const DWORD needed = static_cast<DWORD>(offsetof(Detail, DevicePath) + (entry->path.size() + 1) * sizeof(Char));
    if (requiredSize)
        *requiredSize = needed;
    if (!detail) {
        SetLastError(detailSize == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (detail->cbSize != sizeof(Detail)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (detailSize < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    // The path runs on past the declared one-element array, into the caller's buffer.
    Char* path = reinterpret_cast<Char*>(reinterpret_cast<BYTE*>(detail) + offsetof(Detail, DevicePath));
    for (size_t i = 0; i < entry->path.size(); ++i)
        path[i] = static_cast<Char>(static_cast<unsigned char>(entry->path[i]));
    path[entry->path.size()] = 0;
    return TRUE;
}

} // namespace

extern "C" BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO handle, PSP_DEVINFO_DATA device,
                                                   const GUID* interfaceClass, DWORD index,
                                                   PSP_DEVICE_INTERFACE_DATA data)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    SetupList* list = FindSetupList(machine, handle);
    if (!list || SetupCallFails(machine, "SetupDiEnumDeviceInterfaces"))
        return FALSE;
    if (!interfaceClass || !data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (device) {
        SetLastError(ERROR_NO_MORE_ITEMS);   // no node of a list has interfaces here
        return FALSE;
    }
    DWORD seen = 0;
    for (size_t i = 0; i < list->interfaces.size(); ++i) {
        if (!IsEqualGUID(list->interfaces[i].interfaceClass, *interfaceClass))
            continue;
        if (seen++ == index) {
            data->InterfaceClassGuid = list->interfaces[i].interfaceClass;
            data->Flags = SPINT_ACTIVE;
            data->Reserved = i;
            return TRUE;
        }
    }
    SetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
}

extern "C" BOOL WINAPI SetupDiGetDeviceInterfaceDetailA(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA data,
                                                        PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
                                                        PDWORD requiredSize, PSP_DEVINFO_DATA device)
{
    return GetDetail<SP_DEVICE_INTERFACE_DETAIL_DATA_A, CHAR>(handle, data, detail, detailSize, requiredSize, device,
                                                              "SetupDiGetDeviceInterfaceDetailA");
}

extern "C" BOOL WINAPI SetupDiGetDeviceInterfaceDetailW(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA data,
                                                        PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize,
                                                        PDWORD requiredSize, PSP_DEVINFO_DATA device)
{
    return GetDetail<SP_DEVICE_INTERFACE_DETAIL_DATA_W, WCHAR>(handle, data, detail, detailSize, requiredSize, device,
                                                               "SetupDiGetDeviceInterfaceDetailW");
}
