// What a drive says about itself: its adapter's bus type, its INQUIRY product
// identification and its capabilities page, each through the drive's open handle.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct DriveCapabilities {
    bool ok = false;
    uint8_t readBits = 0;  // capabilities page byte 2
    uint8_t writeBits = 0; // capabilities page byte 3
};

// The bus-type name of the drive's adapter; empty when the query fails.
std::wstring DriveBusTypeName(HANDLE device);
// The INQUIRY product identification, 15 characters (the 16th is cut).
std::wstring DriveProductId(HANDLE device);
DriveCapabilities DriveCapabilityPage(HANDLE device);
// "port,target,lun" of the drive's SCSI address; "255,255,255" when it cannot be read.
std::wstring DriveScsiId(HANDLE device);
