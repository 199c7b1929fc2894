#include "VolumeUtils.h"

#include "KSResult.h"

#include <winsvc.h>

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

// The bus registers its device interface; until the device-list calls are part of
// the platform layer, its interface path is the bus's device name.
HANDLE OpenBusDevice(bool forWriting)
{
    const DWORD access = forWriting ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
    return CreateFileA("\\\\.\\ZeDiskBus", access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}
