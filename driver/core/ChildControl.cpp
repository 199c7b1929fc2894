// A child disk's control codes: its record, letter and write protection, and the
// standard storage, SCSI and geometry queries the system's disk stack asks.
#include "CoreHandlers.h"

namespace zedisk {

namespace {


bool RecordInput(const ZdRequest* request)
{
    return request->Buffer != nullptr && request->InputLength >= ZEDISK_PLUGIN_RECORD_SIZE &&
           ZdLoad32(static_cast<const uint8_t*>(request->Buffer)) == ZEDISK_PLUGIN_RECORD_SIZE;
}

ZdStatus GetRecord(ZdChild* child, ZdRequest* request)
{
    if (request->Buffer == nullptr || request->OutputLength < ZEDISK_PLUGIN_RECORD_SIZE)
        return Complete(request, ZD_STATUS_INVALID_PARAMETER);
    uint8_t* out = static_cast<uint8_t*>(request->Buffer);
    ZdCopy(out, child->record, ZEDISK_PLUGIN_RECORD_SIZE);
    ZdZero(out + ZEDISK_RECORD_PASSWORD, ZEDISK_PASSWORD_CHARS * 2);
    return Complete(request, ZD_STATUS_SUCCESS, ZEDISK_PLUGIN_RECORD_SIZE);
}

ZdStatus ScsiCapabilities(ZdRequest* request)
{
    if (request->Buffer == nullptr || request->OutputLength < 24)
        return Complete(request, ZD_STATUS_INVALID_DEVICE_REQUEST);
    uint8_t* out = static_cast<uint8_t*>(request->Buffer);
    ZdZero(out, 24);
    ZdStore32(out, 24);            // Length
    ZdStore32(out + 4, 0x10000);   // MaximumTransferLength
    ZdStore32(out + 8, 16);        // MaximumPhysicalPages
    ZdStore32(out + 12, 0);        // SupportedAsynchronousEvents
    ZdStore32(out + 16, 0);        // AlignmentMask
    out[20] = 0;                   // TaggedQueuing
    out[21] = 0;                   // AdapterScansDown
    out[22] = 1;                   // AdapterUsesPio
    return Complete(request, ZD_STATUS_SUCCESS, 24);
}

ZdStatus ScsiAddress(ZdChild* child, ZdRequest* request)
{
    if (request->Buffer == nullptr || request->OutputLength < 8)
        return Complete(request, ZD_STATUS_INVALID_DEVICE_REQUEST);
    uint8_t* out = static_cast<uint8_t*>(request->Buffer);
    ZdStore32(out, 8);                              // Length
    out[4] = 0;                                     // PortNumber
    out[5] = 0;                                     // PathId
    out[6] = static_cast<uint8_t>(child->serial);   // TargetId
    out[7] = 0;                                     // Lun
    return Complete(request, ZD_STATUS_SUCCESS, 8);
}

ZdStatus Geometry(ZdChild* child, ZdRequest* request)
{
    if (request->Buffer == nullptr || request->OutputLength < 24)
        return Complete(request, ZD_STATUS_INVALID_DEVICE_REQUEST);
    uint8_t* out = static_cast<uint8_t*>(request->Buffer);
    const uint64_t cylinders = (child->VolumeSectors() + 63) / 16065;
    ZdStore32(out, static_cast<uint32_t>(cylinders));
    ZdStore32(out + 4, static_cast<uint32_t>(cylinders >> 32));
    ZdStore32(out + 8, ZD_MEDIA_FIXED);
    ZdStore32(out + 12, 255);  // TracksPerCylinder
    ZdStore32(out + 16, 63);   // SectorsPerTrack
    ZdStore32(out + 20, child->SectorSize());
    return Complete(request, ZD_STATUS_SUCCESS, 24);
}

// STORAGE_PROPERTY_QUERY: u32 property id, u32 query type, then parameters.
ZdStatus QueryProperty(ZdRequest* request)
{
    if (request->Buffer == nullptr || request->InputLength < 12)
        return Complete(request, ZD_STATUS_INVALID_PARAMETER);
    uint8_t* buffer = static_cast<uint8_t*>(request->Buffer);
    const uint32_t property = ZdLoad32(buffer);
    uint32_t size;
    if (property == 0)
        size = 40;
    else if (property == 1)
        size = 32;
    else
        return Complete(request, ZD_STATUS_INVALID_DEVICE_REQUEST);
    // Even the short answer (version and size) needs 8 bytes of output.
    if (request->OutputLength < 8)
        return Complete(request, ZD_STATUS_BUFFER_TOO_SMALL);
    uint8_t answer[40] = {};
    ZdStore32(answer, size);       // Version
    ZdStore32(answer + 4, size);   // Size
    if (property == 0) {
        // Device type 0, modifier 0, not removable, command queueing, offsets 0,
        // bus type 0, no raw properties but the four bytes 0xFF.
        answer[11] = 1;            // CommandQueueing
        answer[36] = 0xFF;
        answer[37] = 0xFF;
        answer[38] = 0xFF;
        answer[39] = 0xFF;
    } else {
        ZdStore32(answer + 8, 0x10000);   // MaximumTransferLength
        ZdStore32(answer + 12, 16);       // MaximumPhysicalPages
        ZdStore32(answer + 16, 0);        // AlignmentMask
        answer[20] = 1;                   // AdapterUsesPio
        answer[21] = 0;                   // AdapterScansDown
        answer[22] = 1;                   // CommandQueueing
        answer[23] = 0;                   // AcceleratedTransfer
        answer[24] = 0;                   // BusType
        ZdStore16(answer + 26, 0x8000);   // BusMajorVersion
        ZdStore16(answer + 28, 0);        // BusMinorVersion
    }
    const uint32_t length = request->OutputLength >= size ? size : 8;
    ZdCopy(buffer, answer, length);
    return Complete(request, ZD_STATUS_SUCCESS, length);
}

} // namespace

ZdStatus ChildControl(ZdChild* child, ZdRequest* request)
{
    switch (request->Code) {
    case IOCTL_ZEDISK_GET_RECORD:
        return GetRecord(child, request);
    case IOCTL_ZEDISK_SET_LETTER:
        if (!RecordInput(request))
            return Complete(request, ZD_STATUS_INVALID_PARAMETER);
        child->record[ZEDISK_RECORD_LETTER] = static_cast<const uint8_t*>(request->Buffer)[ZEDISK_RECORD_LETTER];
        return Complete(request, ZD_STATUS_SUCCESS);
    case IOCTL_ZEDISK_SET_READONLY:
        if (!RecordInput(request))
            return Complete(request, ZD_STATUS_INVALID_PARAMETER);
        ZdPortInterlockedIncrement(&child->readOnly);
        return Complete(request, ZD_STATUS_SUCCESS);
    case ZD_IOCTL_SCSI_GET_CAPABILITIES:
        return ScsiCapabilities(request);
    case ZD_IOCTL_SCSI_GET_ADDRESS:
        return ScsiAddress(child, request);
    case ZD_IOCTL_DISK_GET_DRIVE_GEOMETRY:
    case ZD_IOCTL_DISK_GET_MEDIA_TYPES:
        return Geometry(child, request);
    case ZD_IOCTL_DISK_IS_WRITABLE:
        return Complete(request, ZD_STATUS_MEDIA_WRITE_PROTECTED);
    case ZD_IOCTL_STORAGE_QUERY_PROPERTY:
        return QueryProperty(request);
    default:
        return Complete(request, ZD_STATUS_INVALID_DEVICE_REQUEST);
    }
}

} // namespace zedisk
