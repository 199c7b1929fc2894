// Result kinds of the snapshot client and its store (module 4).
#pragma once

#include "KSResult.h"

namespace quelm_kinds {
constexpr unsigned long kNotReady = 0x005;
constexpr unsigned long kVolumeGeometry = 0x05A;
constexpr unsigned long kDriverControl = 0x066;
constexpr unsigned long kVolumeOpen = 0x104;
constexpr unsigned long kSpillFile = 0x10B;
constexpr unsigned long kCreateObject = 0x10F;
constexpr unsigned long kSnapshotCreate = 0x20A;
constexpr unsigned long kSectorRead = 0x256;
// Windows error numbers the store returns as they are.
constexpr unsigned long kWinNoMemory = 8;
constexpr unsigned long kWinInvalidParameter = 87;
constexpr unsigned long kWinNotFound = 1168;
} // namespace quelm_kinds
