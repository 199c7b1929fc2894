// The used-cluster bitmap of a live volume, read by the file-system reader for its
// kind through the live device: bit i of byte i/8 (from the least significant bit)
// set for each used cluster of the data area, as an image set stores it.
#pragma once

#include <cstdint>
#include <vector>

#include "IDevice.h"
#include "KSVolume.h"

// volume is the live reader's record (file system, bitmap size). Result 0 or a code.
unsigned long ReadLiveVolumeBitmap(IDevice& device, const _KS_VOLUME& volume, std::vector<uint8_t>& bitmap);
