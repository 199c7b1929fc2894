// The device installer's device lists: every device of the machine (or of one
// class), read one by one with its registry properties.
#pragma once

#include "windef.h"
#include "winnt.h"
#include "guiddef.h"
#include "winuser.h"

typedef PVOID HDEVINFO;

typedef struct _SP_DEVINFO_DATA {
    DWORD cbSize;
    GUID ClassGuid;
    DWORD DevInst;
    ULONG_PTR Reserved;
} SP_DEVINFO_DATA, *PSP_DEVINFO_DATA;

// SetupDiGetClassDevsW's flags.
#define DIGCF_DEFAULT 0x00000001u
#define DIGCF_PRESENT 0x00000002u
#define DIGCF_ALLCLASSES 0x00000004u
#define DIGCF_PROFILE 0x00000008u
#define DIGCF_DEVICEINTERFACE 0x00000010u

// Device registry properties.
#define SPDRP_DEVICEDESC 0x00000000u
#define SPDRP_HARDWAREID 0x00000001u
#define SPDRP_COMPATIBLEIDS 0x00000002u

#ifndef ERROR_INVALID_DATA
#define ERROR_INVALID_DATA 13u
#endif
#ifndef ERROR_NO_MORE_ITEMS
#define ERROR_NO_MORE_ITEMS 259u
#endif

extern "C" {
// INVALID_HANDLE_VALUE on failure, with the last error set.
HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags);
// FALSE with ERROR_NO_MORE_ITEMS past the last device.
BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO list, DWORD index, PSP_DEVINFO_DATA device);
// A buffer too small (or none) fails with ERROR_INSUFFICIENT_BUFFER and stores the
// size needed in *requiredSize; a property the device lacks fails with ERROR_INVALID_DATA.
BOOL WINAPI SetupDiGetDeviceRegistryPropertyW(HDEVINFO list, PSP_DEVINFO_DATA device, DWORD property,
                                              PDWORD propertyType, PBYTE buffer, DWORD bufferSize,
                                              PDWORD requiredSize);
BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO list);
}
