// The bus double's child as the disk stack shows it: a disk image made by sfdisk
// and mkfs.fat at test time, arriving at the Win32 layer through disk arrival. Its
// sectors are the file's; its owner answers the record codes with the plug-in record
// (or refuses them, as a disk of another bus does).
#pragma once

#include "KSPlatformControl.h"
#include "ZeDiskControl.h"

#include <array>
#include <memory>
#include <string>

struct ImageChildState {
    std::array<uint8_t, ZEDISK_PLUGIN_RECORD_SIZE> record{};
    bool answersRecord = true;
    unsigned letterSets = 0;
    unsigned recordReads = 0;   // IOCTL_ZEDISK_GET_RECORD requests, answered or not
};

// A fresh copy of the child disk image (one FAT16 partition at 63 with HELLO.TXT)
// in a work folder of its own.
std::string MakeChildDiskImage(const std::string& name);
// The image as the owner's device for KSPlatformDiskArrival.
std::shared_ptr<KSDevice> OpenImageChild(const std::string& image, std::shared_ptr<ImageChildState> state);
