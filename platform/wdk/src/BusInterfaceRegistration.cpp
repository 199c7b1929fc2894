// The bus's device interface as user mode sees it: while the core has it enabled,
// the platform layer lists it under the bus interface class with a path that opens
// the bus, as the device installer lists a registered interface on Windows.
#include "FakeObjects.h"

#include "KSPlatformSetup.h"
#include "ZeDiskControl.h"

#include <cstring>

namespace wdk {

namespace {

// The symbolic link Windows makes for the interface of the root-enumerated bus.
constexpr const char* kBusInterfaceName = "root#system#0000#{d35f7840-6a0c-11d2-b841-00c04fad5179}";

GUID BusInterfaceGuid()
{
    return ZeDiskGuidAs<GUID>(ZEDISK_GUID_BUS_INTERFACE);
}

} // namespace

void RegisterBusInterface(KSDeviceOpener opener)
{
    KSPlatformRegisterDevice(kBusInterfaceName, std::move(opener));
    KSPlatformAddDeviceInterface(BusInterfaceGuid(), std::string("\\\\?\\") + kBusInterfaceName);
}

void UnregisterBusInterface()
{
    KSPlatformRemoveDeviceInterface(BusInterfaceGuid(), std::string("\\\\?\\") + kBusInterfaceName);
    KSPlatformUnregisterDevice(kBusInterfaceName);
}

} // namespace wdk
