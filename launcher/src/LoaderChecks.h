// The launcher's checks of the machine, each a yes or no.
#pragma once

#include <windows.h>

#include <string>

namespace loader {

struct SystemVersion {
    DWORD major = 0;
    DWORD minor = 0;
    DWORD platform = 0;
    WORD servicePackMajor = 0; // 0 when only the plain record could be read
};

// Reads the version, the extended record first; false when neither can be read.
bool ReadSystemVersion(SystemVersion& version);
bool IsSupportedSystem(const SystemVersion& version);
bool IsSafeMode();
// The user is an enabled member of Administrators (thread token first, else the process's).
bool IsAdministrator();
// The volume class's upper filters name the snapshot driver's filter.
bool HasVolumeFilter();
// A device of the machine has the bus driver's hardware id.
bool HasBusDriver();
bool SnapshotDeviceOpens();

// The incompatible-software lines ("\n    name..." per group, ending "\n"), or "".
std::string IncompatibleSoftware(const SystemVersion& version);

} // namespace loader
