// The core's request handlers, one file each; the dispatch in Dispatch.cpp picks one.
#pragma once

#include "Devices.h"
#include "ZeDiskCore.h"

namespace zedisk {

ZdStatus BusPnp(ZdBus* bus, ZdRequest* request);
ZdStatus ChildPnp(ZdChild* child, ZdRequest* request);
ZdStatus BusPower(ZdBus* bus, ZdRequest* request);
ZdStatus ChildPower(ZdChild* child, ZdRequest* request);
ZdStatus BusControl(ZdBus* bus, ZdRequest* request);
ZdStatus ChildControl(ZdChild* child, ZdRequest* request);
ZdStatus ScsiDispatch(ZdCommon* device, ZdRequest* request);

// Completes a request with a status and length, and returns the status.
inline ZdStatus Complete(ZdRequest* request, ZdStatus status, uintptr_t information = 0)
{
    ZdPortCompleteRequest(request->Irp, status, information, 0);
    return status;
}

void ZdFreeBus(ZdBus* bus);

} // namespace zedisk
