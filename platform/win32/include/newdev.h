// Installing a driver package on the devices that match a hardware id.
#pragma once

#include "windef.h"
#include "winuser.h"

// Installs even when the present driver is as good or better.
#define INSTALLFLAG_FORCE 0x00000001u
#define INSTALLFLAG_READONLY 0x00000002u
#define INSTALLFLAG_NONINTERACTIVE 0x00000004u

extern "C" {
// Installs the driver of the information file fullInfPath on every present device
// whose hardware ids hold hardwareId. rebootRequired (may be null) tells whether the
// change waits for a restart. FALSE with the last error set: ERROR_NO_SUCH_DEVINST
// when no present device has the id, ERROR_FILE_NOT_FOUND when the file is missing,
// ERROR_IN_WOW64 from a 32-bit program on 64-bit Windows.
BOOL WINAPI UpdateDriverForPlugAndPlayDevicesW(HWND parent, LPCWSTR hardwareId, LPCWSTR fullInfPath,
                                               DWORD installFlags, PBOOL rebootRequired);
}
