// The image volume behind a child disk, read through the image container. This is
// the core's only door to the container.
#pragma once

#include "CoreBase.h"

namespace zedisk {

class DiskImage;

// Opens the set named by the plug-in record with its password, and its volume.
// STATUS_DEVICE_DATA_ERROR when either fails (nothing stays open).
ZdStatus DiskImageOpen(const uint8_t* record, DiskImage** image);
// Reads count sectors from sector (negative numbers: the source disk's track 0).
ZdStatus DiskImageRead(DiskImage* image, int64_t sector, void* buffer, uint32_t count);
void DiskImageClose(DiskImage* image);

} // namespace zedisk
