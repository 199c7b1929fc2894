// The worker of one child disk: a system thread that opens the image as the user
// who plugged it in, then serves the queued reads, writes and verifies.
#pragma once

#include "Devices.h"
#include "ZeDiskRequest.h"

namespace zedisk {

struct QueuedRequest {
    QueuedRequest* next;
    ZdPortIrp* irp;
    ZdScsi srb;
};

// Starts the worker and waits until it has opened the image; its status.
ZdStatus StartWorker(ZdChild* child);
// Asks the worker to stop and waits until it has ended (the first caller only).
void StopWorker(ZdChild* child);
// Appends a request for the worker (marked pending): STATUS_PENDING, or
// STATUS_NO_SUCH_DEVICE once the worker has stopped taking requests.
ZdStatus QueueForWorker(ZdChild* child, ZdPortIrp* irp, const ZdScsi* srb);

// Reads [offset, offset + length) of the disk as the system sees it: the image's
// sectors with the made-up boot record in sector 0 and the written bytes over them.
ZdStatus ReadDisk(ZdChild* child, uint64_t offset, uint8_t* buffer, uint32_t length);
// Keeps a write of the disk in the child's overlay (unchanged bytes are not kept).
ZdStatus WriteDisk(ZdChild* child, uint64_t offset, const uint8_t* data, uint32_t length);

} // namespace zedisk
