// SCSI requests from the system's disk class driver: simple commands are answered
// at once, reads, writes and verifies go to the child's worker.
#include "CoreHandlers.h"
#include "DiskWorker.h"

namespace zedisk {

namespace {


ZdStatus Finish(ZdRequest* request, ZdStatus status, uint32_t length = 0)
{
    ZdScsi* srb = request->Srb;
    if (srb != nullptr) {
        if (ZdSucceeded(status)) {
            if (srb->SenseInfoBuffer != nullptr && srb->SenseInfoBufferLength >= 18)
                ZdZero(srb->SenseInfoBuffer, srb->SenseInfoBufferLength);
            srb->SrbStatus = ZD_SRB_STATUS_SUCCESS;
            srb->ScsiStatus = ZD_SCSI_STATUS_GOOD;
        }
        srb->DataTransferLength = length;
    }
    ZdPortCompleteScsi(request->Irp, srb, status, length, 0);
    return status;
}

ZdStatus Refuse(ZdRequest* request, uint8_t srbStatus, ZdStatus status)
{
    if (request->Srb != nullptr)
        request->Srb->SrbStatus = srbStatus;
    return Finish(request, status);
}

ZdStatus ModeSelect(ZdChild* child, ZdRequest* request)
{
    ZdScsi* srb = request->Srb;
    const uint32_t l = srb->Cdb[4];
    const uint8_t* data = static_cast<const uint8_t*>(srb->DataBuffer);
    if (l > srb->DataTransferLength || l < 4 || data == nullptr)
        return Finish(request, ZD_STATUS_INVALID_PARAMETER);
    const uint32_t b = data[3];
    if (l < b + 4)
        return Finish(request, ZD_STATUS_INVALID_PARAMETER);
    // Both pages are 12 bytes; a parameter list that ends inside the page is refused.
    if (l < b + 16)
        return Finish(request, ZD_STATUS_INVALID_PARAMETER);
    const uint8_t* page = data + b + 4;
    const uint8_t code = page[0] & 0x3F;
    if (code == 0x08)
        ZdCopy(child->cachingPage, page, 12);
    else if (code == 0x1C)
        ZdCopy(child->exceptionsPage, page, 12);
    else
        return Refuse(request, ZD_SRB_STATUS_INVALID_REQUEST, ZD_STATUS_INVALID_DEVICE_REQUEST);
    return Finish(request, ZD_STATUS_SUCCESS);
}

ZdStatus ModeSense(ZdChild* child, ZdRequest* request)
{
    ZdScsi* srb = request->Srb;
    const uint32_t a = srb->Cdb[4];
    const uint8_t pageCode = srb->Cdb[2] & 0x3F;
    uint8_t* out = static_cast<uint8_t*>(srb->DataBuffer);
    if (a > srb->DataTransferLength || out == nullptr)
        return Finish(request, ZD_STATUS_INVALID_PARAMETER);
    if (a < 4)
        return Finish(request, ZD_STATUS_BUFFER_TOO_SMALL);
    uint32_t length = 4;
    out[1] = 0;
    out[2] = (pageCode == 0x3F && child->FileSystem() != 4) ? 0x80 : 0;
    out[3] = 8;
    if (a > 11) {
        ZdZero(out + 4, 8);
        out[10] = 0x02;   // block length 512, big-endian in bytes 9..11
        length = 12;
        bool stop = false;
        if (pageCode == 0x3F || pageCode == 0x08) {
            if (a >= 24) {
                ZdCopy(out + length, child->cachingPage, 12);
                length += 12;
            } else {
                stop = true;
            }
        }
        if (!stop && (pageCode == 0x3F || pageCode == 0x1C) && a >= length + 12) {
            ZdCopy(out + length, child->exceptionsPage, 12);
            length += 12;
        }
    }
    out[0] = static_cast<uint8_t>(length - 1);
    return Finish(request, ZD_STATUS_SUCCESS, length);
}

ZdStatus ReadCapacity(ZdChild* child, ZdRequest* request)
{
    ZdScsi* srb = request->Srb;
    uint8_t* out = static_cast<uint8_t*>(srb->DataBuffer);
    if (srb->DataTransferLength < 8 || out == nullptr)
        return Finish(request, ZD_STATUS_BUFFER_TOO_SMALL);
    ZdStoreBE32(out, static_cast<uint32_t>(child->VolumeSectors()) + 62);
    ZdStoreBE32(out + 4, child->SectorSize());
    return Finish(request, ZD_STATUS_SUCCESS, 8);
}

ZdStatus Transfer(ZdChild* child, ZdRequest* request)
{
    ZdScsi* srb = request->Srb;
    const uint64_t bytes = static_cast<uint64_t>(ZdLoadBE16(srb->Cdb + 7)) * 512;
    if (bytes > srb->DataTransferLength) {
        if (srb->Cdb[0] == 0x2F)
            return Finish(request, ZD_STATUS_SUCCESS);
        return Finish(request, ZD_STATUS_INVALID_PARAMETER);
    }
    srb->SrbStatus = ZD_SRB_STATUS_PENDING;
    const ZdStatus status = QueueForWorker(child, request->Irp, srb);
    if (status == ZD_STATUS_PENDING)
        return status;
    return Refuse(request, status == ZD_STATUS_NO_SUCH_DEVICE ? ZD_SRB_STATUS_NO_DEVICE : ZD_SRB_STATUS_ERROR, status);
}

ZdStatus ExecuteScsi(ZdChild* child, ZdRequest* request)
{
    ZdScsi* srb = request->Srb;
    if (srb->CdbLength == 6) {
        switch (srb->Cdb[0]) {
        case 0x00:
            return Finish(request, ZD_STATUS_SUCCESS);
        case 0x15:
            return ModeSelect(child, request);
        case 0x1A:
            return ModeSense(child, request);
        default:
            return Refuse(request, ZD_SRB_STATUS_INVALID_REQUEST, ZD_STATUS_INVALID_DEVICE_REQUEST);
        }
    }
    if (srb->CdbLength == 10) {
        switch (srb->Cdb[0]) {
        case 0x25:
            return ReadCapacity(child, request);
        case 0x28:
        case 0x2A:
        case 0x2F:
            return Transfer(child, request);
        default:
            return Refuse(request, ZD_SRB_STATUS_INVALID_REQUEST, ZD_STATUS_INVALID_DEVICE_REQUEST);
        }
    }
    return Finish(request, ZD_STATUS_INVALID_PARAMETER);
}

} // namespace

ZdStatus ScsiDispatch(ZdCommon* device, ZdRequest* request)
{
    ZdScsi* srb = request->Srb;
    if (srb != nullptr) {
        srb->SrbStatus = ZD_SRB_STATUS_ERROR;
        srb->ScsiStatus = ZD_SCSI_STATUS_CHECK_CONDITION;
    }
    if (device->isBus)
        return Refuse(request, ZD_SRB_STATUS_INVALID_REQUEST, ZD_STATUS_INVALID_DEVICE_REQUEST);
    ZdChild* child = static_cast<ZdChild*>(device);
    if (child->pnpState == ZD_PNP_DELETED)
        return Refuse(request, ZD_SRB_STATUS_NO_DEVICE, ZD_STATUS_NO_SUCH_DEVICE);
    if (srb != nullptr && srb->Length < 64)
        return Refuse(request, ZD_SRB_STATUS_ERROR, ZD_STATUS_INVALID_PARAMETER);
    if (request->Code == ZD_IOCTL_SCSI_EXECUTE_NONE)
        return Finish(request, ZD_STATUS_SUCCESS);
    if (srb == nullptr)
        return Refuse(request, ZD_SRB_STATUS_ERROR, ZD_STATUS_INVALID_PARAMETER);
    if (request->Code != 0)
        return Refuse(request, ZD_SRB_STATUS_INVALID_REQUEST, ZD_STATUS_INVALID_DEVICE_REQUEST);
    if (request->Minor == 1)
        return Finish(request, ZD_STATUS_INVALID_DEVICE_REQUEST);
    switch (srb->Function) {
    case ZD_SRB_FUNCTION_SHUTDOWN:
    case ZD_SRB_FUNCTION_FLUSH:
        return Finish(request, ZD_STATUS_SUCCESS);
    case ZD_SRB_FUNCTION_EXECUTE_SCSI:
        return ExecuteScsi(child, request);
    default:
        return Refuse(request, ZD_SRB_STATUS_INVALID_REQUEST, ZD_STATUS_INVALID_DEVICE_REQUEST);
    }
}

} // namespace zedisk
