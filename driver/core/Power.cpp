// Power requests: the bus passes them down; a child records the states it is given.
#include "CoreHandlers.h"

namespace zedisk {

ZdStatus BusPower(ZdBus* bus, ZdRequest* request)
{
    ZdPortStartNextPower(request->Irp);
    return ZdPortPassDown(bus->device, request->Irp);
}

ZdStatus ChildPower(ZdChild* child, ZdRequest* request)
{
    ZdStatus status;
    bool unchanged = false;
    if (request->Minor == ZD_MN_SET_POWER) {
        if (request->PowerType == ZD_POWER_SYSTEM) {
            child->systemPower = request->PowerState;
        } else {
            ZdPortSetDevicePowerState(child->device, request->PowerState);
            child->devicePower = request->PowerState;
        }
        status = ZD_STATUS_SUCCESS;
    } else if (request->Minor == ZD_MN_QUERY_POWER) {
        status = ZD_STATUS_SUCCESS;
    } else {
        unchanged = true;
        status = ZD_STATUS_SUCCESS;
    }
    ZdPortStartNextPower(request->Irp);
    if (unchanged)
        return ZdPortCompleteUnchanged(request->Irp);
    return Complete(request, status);
}

} // namespace zedisk
