// The bus driver's install within this process: the root-enumerated bus device
// "root\ZeDisk" created in the package's class, registered and given the package's
// driver. The 64-bit installer runs the same code.
#pragma once

// Tries the class installer's way, then, unless that succeeded or asked for a
// restart, the step-by-step way. 0; kind 0x05F (module 6) when the driver waits for a
// restart; kind 0x100 when the package's class cannot be read or both ways failed
// (each removes the device it made); kind 0x008 without memory. The second argument
// is accepted and not used.
unsigned long InstallDriverInProcess(const wchar_t* folder, unsigned long unused);
