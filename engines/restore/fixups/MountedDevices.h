// The "MountedDevices" key of a restored system: where it is for a volume path, the
// rewrite of the values that named the volume's old place, and "\DosDevices\X:".
// A value of an MBR volume is 12 bytes: the disk signature (u32) and the partition's
// byte offset (u64).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MountedDevicesPlace {
    uint32_t signature = 0;
    uint64_t offset = 0; // bytes
};

// The 12 bytes of a value.
void StoreMountedDevicesValue(const MountedDevicesPlace& place, unsigned char out[12]);

// Where the key lies for a volume path ("X:" or "\\?\Volume{...}"): the running
// system's own key (live true), or the hive files of the volume that exist (WINNT
// first, then Windows).
struct MountedDevicesSource {
    bool live = false;
    std::vector<std::string> hives;
};
MountedDevicesSource FindMountedDevices(const std::string& volumePath);

// Values whose data are exactly the old 12 bytes get the new 12 bytes, in the live key
// or in every hive found; 0 or the first failure. A path that finds no key changes
// nothing and answers 0.
unsigned long RewriteMountedDevices(const std::string& volumePath, const MountedDevicesPlace& from,
                                    const MountedDevicesPlace& to);
// Writes "\DosDevices\X:" with the place's 12 bytes.
unsigned long SetDosDevicesValue(const std::string& volumePath, char letter, const MountedDevicesPlace& place);
