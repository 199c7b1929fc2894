#include "VolumeUtils.h"

#include "KSResult.h"

#include <setupapi.h>
#include <winsvc.h>

#include "ZeDiskControl.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

constexpr unsigned long kKindDriverInstall = 0x100;
constexpr DWORD kAlreadyRunning = 1056;

} // namespace

unsigned long StartDiskAccessService()
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, kKindDriverInstall);
    SC_HANDLE service = OpenServiceA(manager, "zedskacs", SERVICE_ALL_ACCESS);
    if (service == nullptr) {
        CloseServiceHandle(manager);
        return KS_RESULT(KS_MODULE_HELPERS, kKindDriverInstall);
    }
    const bool started = StartServiceA(service, 0, nullptr) || GetLastError() == kAlreadyRunning;
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return started ? 0 : KS_RESULT(KS_MODULE_HELPERS, kKindDriverInstall);
}

GUID BusInterfaceClass()
{
    return ZeDiskGuidAs<GUID>(ZEDISK_GUID_BUS_INTERFACE);
}

// The bus is whatever device registered the bus interface class: the first present
// interface of the class, opened by its path without sharing.
HANDLE OpenBusDevice(bool forWriting)
{
    const GUID busClass = BusInterfaceClass();
    HDEVINFO list = SetupDiGetClassDevsA(&busClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (list == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;
    HANDLE bus = INVALID_HANDLE_VALUE;
    SP_DEVICE_INTERFACE_DATA entry = {};
    entry.cbSize = sizeof entry;
    DWORD needed = 0;
    if (SetupDiEnumDeviceInterfaces(list, nullptr, &busClass, 0, &entry) &&
        !SetupDiGetDeviceInterfaceDetailA(list, &entry, nullptr, 0, &needed, nullptr) &&
        GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        // Room for the record's own size field even if the path were shorter.
        needed = std::max<DWORD>(needed, sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A));
        std::vector<BYTE> buffer(needed, 0);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (SetupDiGetDeviceInterfaceDetailA(list, &entry, detail, needed, nullptr, nullptr)) {
            const auto* path =
                reinterpret_cast<const char*>(buffer.data() + offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath));
            const DWORD access = forWriting ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
            bus = CreateFileA(path, access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        }
    }
    SetupDiDestroyDeviceInfoList(list);
    return bus;
}
