// The dispatch table: which handler answers each kind of request on bus and child.
#include "ZeDiskCore.h"

#include "CoreHandlers.h"

using namespace zedisk;

namespace {

bool IsDeleted(const ZdCommon* device) { return device->pnpState == ZD_PNP_DELETED; }

ZdStatus DispatchToBus(ZdBus* bus, ZdRequest* request)
{
    switch (request->Major) {
    case ZD_MJ_CREATE:
    case ZD_MJ_CLOSE:
    case ZD_MJ_CLEANUP:
        return Complete(request, IsDeleted(bus) ? ZD_STATUS_NO_SUCH_DEVICE : ZD_STATUS_SUCCESS);
    case ZD_MJ_READ:
    case ZD_MJ_WRITE:
    case ZD_MJ_FLUSH_BUFFERS:
    case ZD_MJ_SHUTDOWN:
        return Complete(request, ZD_STATUS_INVALID_DEVICE_REQUEST);
    case ZD_MJ_DEVICE_CONTROL:
        return BusControl(bus, request);
    case ZD_MJ_INTERNAL_DEVICE_CONTROL:
        return ScsiDispatch(bus, request);
    case ZD_MJ_PNP:
        if (IsDeleted(bus))
            return Complete(request, ZD_STATUS_NO_SUCH_DEVICE);
        return BusPnp(bus, request);
    case ZD_MJ_POWER:
        if (IsDeleted(bus)) {
            ZdPortStartNextPower(request->Irp);
            return Complete(request, ZD_STATUS_NO_SUCH_DEVICE);
        }
        return BusPower(bus, request);
    case ZD_MJ_SYSTEM_CONTROL:
        return ZdPortWmiSystemControl(bus->device, request->Irp);
    default:
        return Complete(request, ZD_STATUS_INVALID_DEVICE_REQUEST);
    }
}

ZdStatus DispatchToChild(ZdChild* child, ZdRequest* request)
{
    const bool deleted = IsDeleted(child);
    switch (request->Major) {
    case ZD_MJ_CREATE:
    case ZD_MJ_CLOSE:
    case ZD_MJ_CLEANUP:
        return Complete(request, deleted ? ZD_STATUS_NO_SUCH_DEVICE : ZD_STATUS_SUCCESS);
    case ZD_MJ_READ:
    case ZD_MJ_WRITE:
        // The disk's data moves only through its SCSI path; a plain read or write
        // here would report bytes it never moved.
        return Complete(request, deleted ? ZD_STATUS_NO_SUCH_DEVICE : ZD_STATUS_INVALID_DEVICE_REQUEST);
    case ZD_MJ_FLUSH_BUFFERS:
    case ZD_MJ_SHUTDOWN:
        return Complete(request, deleted ? ZD_STATUS_NO_SUCH_DEVICE : ZD_STATUS_SUCCESS);
    case ZD_MJ_DEVICE_CONTROL:
        if (deleted)
            return Complete(request, ZD_STATUS_NO_SUCH_DEVICE);
        return ChildControl(child, request);
    case ZD_MJ_INTERNAL_DEVICE_CONTROL:
        return ScsiDispatch(child, request);
    case ZD_MJ_PNP:
        if (deleted)
            return Complete(request, ZD_STATUS_NO_SUCH_DEVICE);
        return ChildPnp(child, request);
    case ZD_MJ_POWER:
        if (deleted) {
            ZdPortStartNextPower(request->Irp);
            return Complete(request, ZD_STATUS_NO_SUCH_DEVICE);
        }
        return ChildPower(child, request);
    case ZD_MJ_SYSTEM_CONTROL:
        return ZdPortCompleteUnchanged(request->Irp);
    default:
        return Complete(request, ZD_STATUS_INVALID_DEVICE_REQUEST);
    }
}

} // namespace

extern "C" ZdStatus ZdCoreDispatch(ZdPortDevice* device, ZdRequest* request)
{
    ZdCommon* common = static_cast<ZdCommon*>(ZdPortDeviceContext(device));
    if (!common->isBus)
        return DispatchToChild(static_cast<ZdChild*>(common), request);
    // Every request on the bus counts as outstanding while it runs; REMOVE drops
    // its own count inside the handler and the bus is gone when it returns.
    ZdBus* bus = static_cast<ZdBus*>(common);
    const bool removing = request->Major == ZD_MJ_PNP && request->Minor == ZD_MN_REMOVE_DEVICE &&
                          bus->pnpState != ZD_PNP_DELETED;
    bus->Increment();
    const ZdStatus status = DispatchToBus(bus, request);
    if (!removing)
        bus->Decrement();
    return status;
}
