// A recording stand-in for the virtual-disk bus and its children's volumes, for the
// failures the driver's core cannot be made to show. The bus answers the bus codes;
// a child volume "\\.\X:" answers the record codes and the volume locks.
#pragma once

#include "KSPlatformControl.h"
#include "ZeDiskControl.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct BusRequest {
    DWORD code;
    std::vector<uint8_t> input;
};

struct BusState {
    std::vector<BusRequest> requests;
    std::vector<std::array<uint8_t, 256>> children;   // the list's entries
    uint32_t letterMask = 0;
    bool refusePlugin = false;
    bool refuseTarget = false;   // unplug and eject
    bool refuseList = false;
    // Called with the 912 record bytes of an accepted plug-in.
    std::function<void(const std::vector<uint8_t>&)> onPlugin;
    unsigned Count(DWORD code) const;
};

struct VolumeState {
    std::array<uint8_t, ZEDISK_PLUGIN_RECORD_SIZE> record{};
    bool answersRecord = true;
    bool lockFails = false;
    unsigned locks = 0, unlocks = 0, dismounts = 0, letterSets = 0;
    int openHandles = 0;
    uint8_t letterSent = 0xFF;
};

// Registers the bus under the bus interface class.
std::shared_ptr<BusState> InstallBusDouble();
// Registers a child volume "\\.\X:" and puts the letter into the drive table as a
// fixed drive.
std::shared_ptr<VolumeState> InstallChildVolume(char letter, const std::array<uint8_t, ZEDISK_PLUGIN_RECORD_SIZE>& record);
// A disk-access device "\\.\ZEDSKACS\N" answering the record.
void InstallDiskAccess(unsigned disk, const std::array<uint8_t, ZEDISK_PLUGIN_RECORD_SIZE>& record);
