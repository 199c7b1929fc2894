// Mounting and naming a restored volume: the device manager mounts it, it gets the
// wanted drive letter, and a partition the machine starts from becomes the running
// system's "SystemPartition".
#pragma once

#include <cstdint>
#include <string>

#include "KSRestoreRecords.h"

class IFixupVolume;

// 0, or kinds 0x00D (no volume object or name), 0x00F (not mounted in time), 0x00C
// and 0x00E (a letter could not be removed or assigned).
unsigned long MountAndNameVolume(IFixupVolume& volume, const _KS_RESTORE_TARGET& target);

// The volume path of a target partition: "X:" for a wanted letter, else the device
// manager's mount name, else "\\?\Volume{...}" (with a trailing backslash when asked).
// Empty when none can be had.
std::string FixupVolumePath(IFixupVolume& volume, const _KS_RESTORE_TARGET& target, bool trailingBackslash);

bool IsLetter(uint8_t value);
