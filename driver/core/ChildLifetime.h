// Creating a child disk at plug-in and deleting it at its removal.
#pragma once

#include "Devices.h"

namespace zedisk {

// Checks the record a plug-in hands over: its size, that password and path end
// inside their fields, and that its sectors are 512 bytes.
ZdStatus CheckPluginRecord(const uint8_t* record, uint32_t length);
// Plugs in a disk for the record (already checked); the child is linked and the
// bus re-enumerated on success.
ZdStatus PlugIn(ZdBus* bus, const uint8_t* record);

} // namespace zedisk
