// Plug and Play on the bus device: its own states, the children it reports, and
// what its removal does to them.
#include "CoreHandlers.h"

namespace zedisk {

namespace {

// Takes every child off the bus. A child the system still has to remove (surprise
// removal pending, or the whole bus surprise-removed) is only marked missing; its
// own REMOVE deletes it later. Any other child is deleted at once when asked.
void UnlinkChildren(ZdBus* bus, bool deleteChildren)
{
    ZdMutexHeld held(bus->mutex);
    ZdChild* child = bus->first;
    while (child != nullptr) {
        ZdChild* next = child->next;
        if (!child->linked) {
            child = next;   // a plug-in still running keeps and undoes its own reservation
            continue;
        }
        bus->Unlink(child);
        child->bus = nullptr;
        --bus->childCount;
        if (deleteChildren && child->pnpState != ZD_PNP_SURPRISE_REMOVE_PENDING) {
            child->SetState(ZD_PNP_DELETED);
            ZdDeleteChild(child);
        } else {
            child->reportedMissing = true;
        }
        child = next;
    }
}

void StopInterfaceAndWmi(ZdBus* bus)
{
    ZdPortSetBusInterfaceState(bus->device, 0);
    if (bus->wmiRegistered)
        ZdPortWmiDeregister(bus->device);
    bus->wmiRegistered = false;
}

ZdStatus BusRelations(ZdBus* bus, ZdRequest* request)
{
    ZdStatus status = ZD_STATUS_SUCCESS;
    {
        ZdMutexHeld held(bus->mutex);
        uint32_t present = 0;
        for (ZdChild* child = bus->first; child != nullptr; child = child->next)
            if (child->linked && child->present)
                ++present;
        ZdChild* child = bus->first;
        while (child != nullptr) {
            ZdChild* next = child->next;
            if (child->linked && !child->present) {
                child->reportedMissing = true;
                // A child unplugged before any relations answer reached the system
                // never gets its REMOVE: it goes now, with its letter and serial.
                if (!child->reported) {
                    bus->Unlink(child);
                    child->bus = nullptr;
                    --bus->childCount;
                    child->SetState(ZD_PNP_DELETED);
                    ZdDeleteChild(child);
                }
            }
            child = next;
        }
        if (!(request->HasInformation && present == 0)) {
            ZdPortDevice** devices = nullptr;
            if (present != 0) {
                devices = static_cast<ZdPortDevice**>(ZdPortAllocate(present * sizeof(ZdPortDevice*), ZD_TAG_BUS));
                if (devices == nullptr)
                    return Complete(request, ZD_STATUS_INSUFFICIENT_RESOURCES);
            }
            uint32_t n = 0;
            for (ZdChild* child = bus->first; child != nullptr; child = child->next)
                if (child->linked && child->present)
                    devices[n++] = child->device;
            status = ZdPortSetRelations(request->Irp, devices, n);
            if (ZdSucceeded(status))
                for (ZdChild* child = bus->first; child != nullptr; child = child->next)
                    if (child->linked && child->present)
                        child->reported = true;
            if (devices != nullptr)
                ZdPortFree(devices, ZD_TAG_BUS);
        }
    }
    if (!ZdSucceeded(status))
        return Complete(request, status);
    return ZdPortPassDown(bus->device, request->Irp);
}

} // namespace

ZdStatus BusPnp(ZdBus* bus, ZdRequest* request)
{
    switch (request->Minor) {
    case ZD_MN_START_DEVICE: {
        const ZdStatus status = ZdPortPassDownAndWait(bus->device, request->Irp);
        if (ZdSucceeded(status)) {
            ZdPortSetBusInterfaceState(bus->device, 1);
            bus->SetState(ZD_PNP_STARTED);
        }
        return Complete(request, status);
    }
    case ZD_MN_QUERY_STOP_DEVICE:
        bus->SetState(ZD_PNP_STOP_PENDING);
        break;
    case ZD_MN_CANCEL_STOP_DEVICE:
        if (bus->pnpState == ZD_PNP_STOP_PENDING)
            bus->RestoreState();
        break;
    case ZD_MN_STOP_DEVICE:
        // Wait until only this request is outstanding, then stop.
        bus->Decrement();
        ZdPortEventWait(bus->stopEvent, -1);
        bus->Increment();
        bus->SetState(ZD_PNP_STOPPED);
        break;
    case ZD_MN_QUERY_REMOVE_DEVICE:
        bus->SetState(ZD_PNP_REMOVE_PENDING);
        break;
    case ZD_MN_CANCEL_REMOVE_DEVICE:
        if (bus->pnpState == ZD_PNP_REMOVE_PENDING)
            bus->RestoreState();
        break;
    case ZD_MN_SURPRISE_REMOVAL:
        bus->SetState(ZD_PNP_SURPRISE_REMOVE_PENDING);
        StopInterfaceAndWmi(bus);
        UnlinkChildren(bus, false);
        break;
    case ZD_MN_REMOVE_DEVICE: {
        if (bus->pnpState != ZD_PNP_SURPRISE_REMOVE_PENDING)
            StopInterfaceAndWmi(bus);
        bus->SetState(ZD_PNP_DELETED);
        bus->Decrement();
        bus->Decrement();
        ZdPortEventWait(bus->removeEvent, -1);
        UnlinkChildren(bus, true);
        const ZdStatus status = ZdPortPassDown(bus->device, request->Irp);
        ZdPortFreeBusInterface(bus->device);
        ZdPortDetachBus(bus->device);
        ZdPortDeleteDevice(bus->device);
        ZdFreeBus(bus);
        return status;
    }
    case ZD_MN_QUERY_DEVICE_RELATIONS:
        if (request->RelationType == ZD_BUS_RELATIONS)
            return BusRelations(bus, request);
        break;
    default:
        break;
    }
    return ZdPortPassDown(bus->device, request->Irp);
}

} // namespace zedisk
