// The bus driver's package as the install and the removal find it: its information
// file in the folder, and the hardware id of the bus device it installs.
#pragma once

#include <string>

// Room for a device class's name and its NUL, as the device installer limits it.
constexpr unsigned long kClassNameChars = 32;

// "root\ZeDisk", the hardware id of the root-enumerated bus device.
extern const wchar_t kBusHardwareId[];

// folder + "\" (unless it ends in "\" or "/") + "zedisk.inf".
std::wstring DriverInfPath(const wchar_t* folder);
