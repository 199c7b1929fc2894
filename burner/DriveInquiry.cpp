#include "DriveInquiry.h"

#include <ScsiPassThrough.h>

#include <cstring>

namespace {

const wchar_t* const kBusTypeNames[] = {L"UNKNOWN", L"SCSI", L"ATAPI", L"ATA", L"IEEE 1394",
                                        L"SSA",     L"FIBRE", L"USB",  L"RAID"};

// INQUIRY or MODE SENSE (6) with the drive tool's own header: CDB length 6, sense 24,
// 192 bytes, 2 seconds, path 0, target 1, LUN 0.
bool SendSixByte(HANDLE device, const uint8_t (&cdb)[6], uint8_t* data)
{
    scsi_pt::Request request;
    std::memcpy(request.cdb, cdb, sizeof cdb);
    request.cdbLength = 6;
    request.senseLength = 24;
    request.transferLength = 192;
    request.timeOutSeconds = 2;
    request.targetId = 1;
    uint8_t buffer[scsi_pt::kBufferBytes];
    scsi_pt::Encode(request, buffer);
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(device, KS_IOCTL_SCSI_PASS_THROUGH, buffer, scsi_pt::kHeaderBytes, buffer,
                                    scsi_pt::kDataOffset + 192, &returned, nullptr);
    std::memcpy(data, buffer + scsi_pt::kDataOffset, 192);
    return ok && buffer[scsi_pt::kScsiStatus] == 0;
}

} // namespace

std::wstring DriveBusTypeName(HANDLE device)
{
    uint8_t query[12] = {};
    StoreLE32(query, 1); // the adapter property, standard query
    uint8_t descriptor[512] = {};
    DWORD returned = 0;
    if (!DeviceIoControl(device, KS_IOCTL_STORAGE_QUERY_PROPERTY, query, sizeof query, descriptor, sizeof descriptor,
                         &returned, nullptr))
        return {};
    const uint8_t bus = descriptor[24];
    return bus < sizeof kBusTypeNames / sizeof kBusTypeNames[0] ? kBusTypeNames[bus] : L"UNKNOWN";
}

std::wstring DriveProductId(HANDLE device)
{
    uint8_t data[192] = {};
    const uint8_t inquiry[6] = {0x12, 0, 0, 0, 192, 0};
    SendSixByte(device, inquiry, data);
    std::wstring id;
    for (int i = 16; i < 31; ++i)
        id += static_cast<wchar_t>(data[i]);
    return id;
}

DriveCapabilities DriveCapabilityPage(HANDLE device)
{
    DriveCapabilities caps;
    uint8_t data[192] = {};
    const uint8_t inquiry[6] = {0x12, 0, 0, 0, 192, 0};
    SendSixByte(device, inquiry, data);
    const uint8_t modeSense[6] = {0x1A, 0x08, 0x2A, 0, 192, 0};
    std::memset(data, 0, sizeof data);
    if (SendSixByte(device, modeSense, data)) {
        caps.ok = true;
        // The page follows the 4-byte mode header.
        caps.readBits = data[4 + 2];
        caps.writeBits = data[4 + 3];
    }
    return caps;
}

std::wstring DriveScsiId(HANDLE device)
{
    uint8_t address[8] = {};
    DWORD returned = 0;
    unsigned port = 255, target = 255, lun = 255;
    if (DeviceIoControl(device, KS_IOCTL_SCSI_GET_ADDRESS, nullptr, 0, address, sizeof address, &returned, nullptr)) {
        port = address[4];
        target = address[6];
        lun = address[7];
    }
    // Kept whole: "255,255,255" is eleven characters.
    return std::to_wstring(port) + L"," + std::to_wstring(target) + L"," + std::to_wstring(lun);
}
