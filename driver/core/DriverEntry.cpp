// The driver's entry, unload, AddDevice, and the bus's child list and outstanding count.
#include "ZeDiskCore.h"

#include "Devices.h"

namespace zedisk {

ZdDriverState& ZdDriver()
{
    static ZdDriverState state;
    return state;
}

void ZdBus::Link(ZdChild* child)
{
    child->bus = this;
    child->prev = last;
    child->next = nullptr;
    if (last != nullptr)
        last->next = child;
    else
        first = child;
    last = child;
}

void ZdBus::Unlink(ZdChild* child)
{
    if (child->prev != nullptr)
        child->prev->next = child->next;
    else if (first == child)
        first = child->next;
    if (child->next != nullptr)
        child->next->prev = child->prev;
    else if (last == child)
        last = child->prev;
    child->next = child->prev = nullptr;
}

// Outstanding requests: the stop event is set while only the bus's own count is
// left, the remove event once even that has been dropped.
void ZdBus::Increment()
{
    if (ZdPortInterlockedIncrement(&outstanding) == 2)
        ZdPortEventClear(stopEvent);
}

void ZdBus::Decrement()
{
    const int32_t left = ZdPortInterlockedDecrement(&outstanding);
    if (left == 1)
        ZdPortEventSet(stopEvent);
    if (left == 0)
        ZdPortEventSet(removeEvent);
}

namespace {

void FreeBus(ZdBus* bus)
{
    if (bus->mutex != nullptr)
        ZdPortMutexDestroy(bus->mutex);
    if (bus->removeEvent != nullptr)
        ZdPortEventDestroy(bus->removeEvent);
    if (bus->stopEvent != nullptr)
        ZdPortEventDestroy(bus->stopEvent);
    delete bus;
}

} // namespace

} // namespace zedisk

using namespace zedisk;

extern "C" ZdStatus ZdCoreDriverEntry(const ZdWChar* registryPath, size_t chars)
{
    ZdDriverState& driver = ZdDriver();
    driver.registryPath = static_cast<ZdWChar*>(ZdPortAllocate((chars + 1) * sizeof(ZdWChar), ZD_TAG_BUS));
    if (driver.registryPath == nullptr)
        return ZD_STATUS_INSUFFICIENT_RESOURCES;
    ZdCopy(driver.registryPath, registryPath, chars * sizeof(ZdWChar));
    driver.registryPath[chars] = 0;
    driver.registryChars = chars;
    return ZD_STATUS_SUCCESS;
}

extern "C" void ZdCoreDriverUnload(void)
{
    ZdDriverState& driver = ZdDriver();
    if (driver.registryPath != nullptr)
        ZdPortFree(driver.registryPath, ZD_TAG_BUS);
    driver.registryPath = nullptr;
    driver.registryChars = 0;
}

extern "C" ZdStatus ZdCoreAddDevice(ZdPortDevice* physical)
{
    ZdBus* bus = new ZdBus;
    if (bus == nullptr)
        return ZD_STATUS_INSUFFICIENT_RESOURCES;
    bus->isBus = true;
    bus->mutex = ZdPortMutexCreate();
    bus->removeEvent = ZdPortEventCreate(0, 0);
    bus->stopEvent = ZdPortEventCreate(1, 1);
    if (bus->mutex == nullptr || bus->removeEvent == nullptr || bus->stopEvent == nullptr) {
        FreeBus(bus);
        return ZD_STATUS_INSUFFICIENT_RESOURCES;
    }
    ZdStatus status = ZdPortCreateBusDevice(physical, bus, &bus->device);
    if (!ZdSucceeded(status)) {
        FreeBus(bus);
        return status;
    }
    status = ZdPortRegisterBusInterface(bus->device);
    if (ZdSucceeded(status)) {
        bus->interfaceRegistered = true;
        status = ZdPortWmiRegister(bus->device);
    }
    if (!ZdSucceeded(status)) {
        if (bus->interfaceRegistered)
            ZdPortFreeBusInterface(bus->device);
        ZdPortDetachBus(bus->device);
        ZdPortDeleteDevice(bus->device);
        FreeBus(bus);
        return status;
    }
    bus->wmiRegistered = true;
    bus->debugLevel = ZdDriver().debugLevel;
    ZdPortFinishDeviceInit(bus->device);
    return ZD_STATUS_SUCCESS;
}

namespace zedisk {
// Used by the bus's REMOVE once the device is gone.
void ZdFreeBus(ZdBus* bus) { FreeBus(bus); }
}
