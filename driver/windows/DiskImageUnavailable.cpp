// The kernel image's door to the image container until the container is built in
// its kernel form: no image can be opened, so every plug-in ends with
// STATUS_DEVICE_DATA_ERROR and nothing stays behind. The Linux build opens images
// through the container itself (driver/core/ContainerImage.cpp).
#include "DiskImage.h"

namespace zedisk {

class DiskImage {};

ZdStatus DiskImageOpen(const uint8_t*, DiskImage** image)
{
    *image = nullptr;
    return ZD_STATUS_DEVICE_DATA_ERROR;
}

ZdStatus DiskImageRead(DiskImage*, int64_t, void*, uint32_t) { return ZD_STATUS_NO_SUCH_DEVICE; }

void DiskImageClose(DiskImage*) {}

} // namespace zedisk
