// The worker thread of a child disk and its request queue.
#include "DiskWorker.h"

#include "DiskImage.h"
#include "KernelServices.h"
#include "WriteOverlay.h"

namespace zedisk {

namespace {

enum : uint8_t {
    SCSI_READ10 = 0x28,
    SCSI_WRITE10 = 0x2A,
    SCSI_VERIFY10 = 0x2F,
};

QueuedRequest* TakeFirst(ZdChild* child)
{
    ZdLockHeld held(child->queueLock);
    QueuedRequest* request = child->queueHead;
    if (request != nullptr) {
        child->queueHead = request->next;
        if (child->queueHead == nullptr)
            child->queueTail = nullptr;
    }
    return request;
}

// Serves one queued SCSI request and completes it.
void Serve(ZdChild* child, QueuedRequest* queued)
{
    ZdScsi& srb = queued->srb;
    ZdStatus status = ZD_STATUS_SUCCESS;
    uintptr_t moved = 0;
    const uint8_t opcode = srb.Cdb[0];
    if (srb.Function != ZD_SRB_FUNCTION_EXECUTE_SCSI || srb.CdbLength != 10 ||
        (opcode != SCSI_READ10 && opcode != SCSI_WRITE10 && opcode != SCSI_VERIFY10)) {
        status = ZD_STATUS_INVALID_DEVICE_REQUEST;
    } else {
        const uint64_t offset = static_cast<uint64_t>(ZdLoadBE32(srb.Cdb + 2)) * 512;
        const uint32_t length = static_cast<uint32_t>(ZdLoadBE16(srb.Cdb + 7)) * 512;
        void* buffer = nullptr;
        // Without a data direction or an MDL there is no buffer to move data through.
        if ((srb.SrbFlags & (ZD_SRB_FLAGS_DATA_IN | ZD_SRB_FLAGS_DATA_OUT)) == 0)
            status = ZD_STATUS_INVALID_PARAMETER;
        else
            status = ZdPortScsiBuffer(queued->irp, srb.DataBuffer, &buffer);
        // A transfer that ends past the disk's last sector would read past the
        // volume or store what no sector holds.
        if (ZdSucceeded(status) && offset + length > child->DiskSectors() * 512)
            status = ZD_STATUS_INVALID_PARAMETER;
        if (ZdSucceeded(status)) {
            uint8_t* bytes = static_cast<uint8_t*>(buffer);
            if (opcode == SCSI_WRITE10) {
                if (child->readOnly != 0)
                    status = ZD_STATUS_MEDIA_WRITE_PROTECTED;
                else
                    status = WriteDisk(child, offset, bytes, length);
            } else {
                status = ReadDisk(child, offset, bytes, length);
                moved = length;
            }
        }
    }
    if (ZdSucceeded(status)) {
        srb.SrbStatus = ZD_SRB_STATUS_SUCCESS;
        srb.ScsiStatus = 0;
        srb.DataTransferLength = static_cast<uint32_t>(moved);
    } else {
        srb.SrbStatus = ZD_SRB_STATUS_ERROR;
        srb.ScsiStatus = 0;
        srb.DataTransferLength = 0;
        moved = 0;
    }
    ZdPortCompleteScsi(queued->irp, &srb, status, moved, moved != 0 ? 1 : 0);
    ZdPortFree(queued, ZD_TAG_BUS);
}

void FailLeftOver(ZdChild* child)
{
    for (QueuedRequest* queued = TakeFirst(child); queued != nullptr; queued = TakeFirst(child)) {
        queued->srb.SrbStatus = ZD_SRB_STATUS_NO_DEVICE;
        queued->srb.ScsiStatus = 0;
        queued->srb.DataTransferLength = 0;
        ZdPortCompleteScsi(queued->irp, &queued->srb, ZD_STATUS_NO_SUCH_DEVICE, 0, 0);
        ZdPortFree(queued, ZD_TAG_BUS);
    }
}

void WorkerMain(void* context)
{
    ZdChild* child = static_cast<ZdChild*>(context);
    ZdPortThreadSetPriority(16);
    LastErrorAttach();
    ZdStatus status = ZdPortSecurityImpersonate(child->security);
    if (ZdSucceeded(status))
        status = DiskImageOpen(child->record, &child->image);
    else
        status = ZD_STATUS_DEVICE_DATA_ERROR;
    child->workerStatus = status;
    ZdPortEventSet(child->workerStarted);
    if (!ZdSucceeded(status)) {
        ZdPortSecurityRevert();
        LastErrorDetach();
        return;
    }
    for (;;) {
        ZdPortSemaphoreWait(child->requests, 1000);
        for (QueuedRequest* queued = TakeFirst(child); queued != nullptr; queued = TakeFirst(child))
            Serve(child, queued);
        if (child->stopCounter != 0)
            break;
    }
    // From now on nothing is queued; what came in after the last wake is failed.
    {
        ZdLockHeld held(child->queueLock);
        child->queueClosed = true;
    }
    FailLeftOver(child);
    delete child->overlay;
    child->overlay = nullptr;
    DiskImageClose(child->image);
    child->image = nullptr;
    ZdPortSecurityRevert();
    LastErrorDetach();
}

} // namespace

ZdStatus StartWorker(ZdChild* child)
{
    ZdStatus status = ZdPortThreadStart(WorkerMain, child, &child->worker);
    if (!ZdSucceeded(status)) {
        child->worker = nullptr;
        return status;
    }
    ZdPortEventWait(child->workerStarted, -1);
    if (!ZdSucceeded(child->workerStatus)) {
        ZdPortThreadJoin(child->worker);
        child->worker = nullptr;
        return child->workerStatus;
    }
    return ZD_STATUS_SUCCESS;
}

void StopWorker(ZdChild* child)
{
    if (child->worker == nullptr)
        return;
    if (ZdPortInterlockedIncrement(&child->stopCounter) != 1)
        return;
    ZdPortSemaphoreRelease(child->requests, 1);
    ZdPortThreadJoin(child->worker);
    child->worker = nullptr;
}

ZdStatus QueueForWorker(ZdChild* child, ZdPortIrp* irp, const ZdScsi* srb)
{
    QueuedRequest* queued = static_cast<QueuedRequest*>(ZdPortAllocate(sizeof(QueuedRequest), ZD_TAG_BUS));
    if (queued == nullptr)
        return ZD_STATUS_INSUFFICIENT_RESOURCES;
    queued->next = nullptr;
    queued->irp = irp;
    queued->srb = *srb;
    {
        ZdLockHeld held(child->queueLock);
        if (child->queueClosed || child->stopCounter != 0) {
            ZdPortFree(queued, ZD_TAG_BUS);
            return ZD_STATUS_NO_SUCH_DEVICE;
        }
        ZdPortMarkPending(irp);
        if (child->queueTail != nullptr)
            child->queueTail->next = queued;
        else
            child->queueHead = queued;
        child->queueTail = queued;
    }
    ZdPortSemaphoreRelease(child->requests, 1);
    return ZD_STATUS_PENDING;
}

} // namespace zedisk
