// Removing the bus device "root\ZeDisk" that an install made.
#pragma once

// 0; kind 0x007 (module 6) while installs are still pending after 10 pauses of 500 ms;
// kind 0x100 when the package's class cannot be read, no present device carries the
// bus's hardware id or the removal fails; kind 0x05F when the removal waits for a
// restart.
unsigned long RemoveBusDevice(const wchar_t* folder);
