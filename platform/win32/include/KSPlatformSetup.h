// Control of the layer's device installer list, window manager and user token on
// Linux: what a machine would have, set up by tests. Like KSPlatformControl.h, none
// of this exists on Windows.
#pragma once

#include <windows.h>
#include <winuser.h>

#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Devices of the device installer's list (SetupDiGetClassDevsW and its calls).

struct KSSetupDevice {
    GUID classGuid{};
    // The hardware-id property's characters as stored, NULs included: L"a\0b\0\0"
    // (KSSetupMultiString builds it); empty leaves the device without the property.
    std::wstring hardwareIds;
    DWORD hardwareIdType = 7; // REG_MULTI_SZ
};

// The strings, each followed by a NUL, and the closing NUL.
std::wstring KSSetupMultiString(const std::vector<std::wstring>& strings);
void KSPlatformAddSetupDevice(const KSSetupDevice& device);
void KSPlatformClearSetupDevices();
// Makes SetupDiGetClassDevsW fail with error (ERROR_SUCCESS lets it succeed).
void KSPlatformSetSetupListError(DWORD error);
// Device lists made and not yet destroyed.
unsigned KSPlatformOpenSetupLists();
