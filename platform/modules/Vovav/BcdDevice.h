// The device elements of a BCD store: the binary "Element" value of
// Objects\{...}\Elements\11000001 (the application's device) and 21000001 (the
// system's device). A partition of an MBR disk is named there by the disk's
// signature and the partition's byte offset on the disk.
#pragma once

#include <cstdint>
#include <string>

struct BcdPartitionPlace {
    uint32_t signature = 0;
    uint64_t offset = 0; // bytes from the start of the disk
};

// The element names whose values name a device.
constexpr const char* kBcdDeviceElements[] = {"11000001", "21000001"};

// Rewrites the element's data to name `to` when it names the MBR partition `from`;
// anything else (another partition, a GPT partition, a boot or RAM disk device, data
// too short) stays as it is. True when the data changed.
bool RewriteBcdPartitionDevice(std::string& element, const BcdPartitionPlace& from, const BcdPartitionPlace& to);
