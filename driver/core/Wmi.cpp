// The bus's one WMI data block: u32 error count, u32 debug level.
#include "ZeDiskCore.h"

#include "Devices.h"

using namespace zedisk;

namespace {

enum : uint32_t { WMI_BLOCK_SIZE = 8, WMI_ITEM_DEBUG_LEVEL = 2 };

ZdBus* WmiBus(ZdPortDevice* device) { return static_cast<ZdBus*>(ZdPortDeviceContext(device)); }

void SetDebugLevel(ZdBus* bus, uint32_t level)
{
    bus->debugLevel = level;
    ZdDriver().debugLevel = level;
}

} // namespace

extern "C" ZdStatus ZdCoreWmiQuery(ZdPortDevice* device, void* buffer, uint32_t bufferSize, uint32_t* used)
{
    *used = 0;
    if (bufferSize < WMI_BLOCK_SIZE || buffer == nullptr) {
        *used = WMI_BLOCK_SIZE;   // the size the caller must offer
        return ZD_STATUS_BUFFER_TOO_SMALL;
    }
    ZdBus* bus = WmiBus(device);
    uint8_t* out = static_cast<uint8_t*>(buffer);
    ZdStore32(out, bus->wmiErrorCount);
    ZdStore32(out + 4, ZdDriver().debugLevel);
    *used = WMI_BLOCK_SIZE;
    return ZD_STATUS_SUCCESS;
}

// A set of the whole block takes the debug level from its second word; a buffer
// too short to hold it is refused rather than read past.
extern "C" ZdStatus ZdCoreWmiSetBlock(ZdPortDevice* device, const void* buffer, uint32_t bufferSize)
{
    if (buffer == nullptr || bufferSize < WMI_BLOCK_SIZE)
        return ZD_STATUS_BUFFER_TOO_SMALL;
    SetDebugLevel(WmiBus(device), ZdLoad32(static_cast<const uint8_t*>(buffer) + 4));
    return ZD_STATUS_SUCCESS;
}

extern "C" ZdStatus ZdCoreWmiSetItem(ZdPortDevice* device, uint32_t itemId, const void* buffer, uint32_t bufferSize)
{
    if (itemId != WMI_ITEM_DEBUG_LEVEL)
        return ZD_STATUS_WMI_READ_ONLY;
    if (buffer == nullptr || bufferSize < 4)
        return ZD_STATUS_BUFFER_TOO_SMALL;
    SetDebugLevel(WmiBus(device), ZdLoad32(static_cast<const uint8_t*>(buffer)));
    return ZD_STATUS_SUCCESS;
}
