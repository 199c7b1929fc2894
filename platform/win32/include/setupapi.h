// The device installer: lists of the machine's devices (of one class, of all, or
// those that expose an interface class), their registry properties and interfaces,
// an information file's class, and the steps that create, register, install and
// remove a device.
#pragma once

#include "windef.h"
#include "winnt.h"
#include "guiddef.h"
#include "winuser.h"

// (Repeating a typedef of the same type is allowed, should windef.h gain them.)
typedef char CHAR;
typedef const char* PCSTR;

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

#define SPDRP_CLASS 0x00000007u
#define SPDRP_CLASSGUID 0x00000008u

// SetupDiCreateDeviceInfoW's flags.
#define DICD_GENERATE_ID 0x00000001u
#define DICD_INHERIT_CLASSDRVS 0x00000002u

// Class installer functions (SetupDiCallClassInstaller).
typedef UINT DI_FUNCTION;
#define DIF_SELECTDEVICE 0x00000001u
#define DIF_INSTALLDEVICE 0x00000002u
#define DIF_REMOVE 0x00000005u
#define DIF_SELECTBESTCOMPATDRV 0x00000017u
#define DIF_REGISTERDEVICE 0x00000019u

// Driver list kinds.
#define SPDIT_NODRIVER 0x00000000u
#define SPDIT_CLASSDRIVER 0x00000001u
#define SPDIT_COMPATDRIVER 0x00000002u

// Install parameter flags.
#define DI_NEEDRESTART 0x00000080u
#define DI_NEEDREBOOT 0x00000100u
#define DI_ENUMSINGLEINF 0x00010000u

// An interface is active.
#define SPINT_ACTIVE 0x00000001u
#define SPINT_DEFAULT 0x00000002u
#define SPINT_REMOVED 0x00000004u

#define MAX_CLASS_NAME_LEN 32
#define MAX_DEVICE_ID_LEN 200
#define LINE_LEN 256

typedef struct _SP_DEVICE_INTERFACE_DATA {
    DWORD cbSize;
    GUID InterfaceClassGuid;
    DWORD Flags;
    ULONG_PTR Reserved;
} SP_DEVICE_INTERFACE_DATA, *PSP_DEVICE_INTERFACE_DATA;

// cbSize is the size of the structure itself; the path runs on past its end.
typedef struct _SP_DEVICE_INTERFACE_DETAIL_DATA_A {
    DWORD cbSize;
    CHAR DevicePath[1];
} SP_DEVICE_INTERFACE_DETAIL_DATA_A, *PSP_DEVICE_INTERFACE_DETAIL_DATA_A;

typedef struct _SP_DEVICE_INTERFACE_DETAIL_DATA_W {
    DWORD cbSize;
    WCHAR DevicePath[1];
} SP_DEVICE_INTERFACE_DETAIL_DATA_W, *PSP_DEVICE_INTERFACE_DETAIL_DATA_W;

typedef UINT (*PSP_FILE_CALLBACK_W)(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2);
typedef PVOID HSPFILEQ;

typedef struct _SP_DEVINSTALL_PARAMS_W {
    DWORD cbSize;
    DWORD Flags;
    DWORD FlagsEx;
    HWND hwndParent;
    PSP_FILE_CALLBACK_W InstallMsgHandler;
    PVOID InstallMsgHandlerContext;
    HSPFILEQ FileQueue;
    ULONG_PTR ClassInstallReserved;
    DWORD Reserved;
    WCHAR DriverPath[MAX_PATH];
} SP_DEVINSTALL_PARAMS_W, *PSP_DEVINSTALL_PARAMS_W;

typedef DWORD (*PSP_DETSIG_CMPPROC)(HDEVINFO list, PSP_DEVINFO_DATA newDevice, PSP_DEVINFO_DATA existing,
                                    PVOID context);

// The device installer's own errors (customer bit and error severity set).
#ifndef ERROR_WRONG_INF_STYLE
#define ERROR_WRONG_INF_STYLE 0xE0000100u
#define ERROR_SECTION_NOT_FOUND 0xE0000101u
#define ERROR_NO_ASSOCIATED_CLASS 0xE0000200u
#define ERROR_CLASS_MISMATCH 0xE0000201u
#define ERROR_NO_DRIVER_SELECTED 0xE0000203u
#define ERROR_INVALID_DEVINST_NAME 0xE0000205u
#define ERROR_INVALID_CLASS 0xE0000206u
#define ERROR_DEVINST_ALREADY_EXISTS 0xE0000207u
#define ERROR_DEVINFO_NOT_REGISTERED 0xE0000208u
#define ERROR_INVALID_REG_PROPERTY 0xE0000209u
#define ERROR_NO_SUCH_DEVINST 0xE000020Bu
#define ERROR_DI_DO_DEFAULT 0xE000020Eu
#define ERROR_NO_COMPAT_DRIVERS 0xE0000228u
#define ERROR_NO_SUCH_INTERFACE_DEVICE 0xE0000217u
#define ERROR_IN_WOW64 0xE0000235u
#endif

#ifndef ERROR_INVALID_USER_BUFFER
#define ERROR_INVALID_USER_BUFFER 1784u
#endif
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

// With DIGCF_DEVICEINTERFACE, classGuid names an interface class and the list holds
// the interfaces of that class (of every class with DIGCF_ALLCLASSES).
HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent, DWORD flags);
// FALSE with ERROR_NO_MORE_ITEMS past the last interface of the class (of device,
// when given).
BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO list, PSP_DEVINFO_DATA device, const GUID* interfaceClass,
                                        DWORD index, PSP_DEVICE_INTERFACE_DATA deviceInterface);
// The interface's path for CreateFile. Without a buffer (or one too small) fails with
// ERROR_INSUFFICIENT_BUFFER and the size needed; detail->cbSize must be the size of
// the structure.
BOOL WINAPI SetupDiGetDeviceInterfaceDetailA(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA deviceInterface,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
                                             PDWORD requiredSize, PSP_DEVINFO_DATA device);
BOOL WINAPI SetupDiGetDeviceInterfaceDetailW(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA deviceInterface,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize,
                                             PDWORD requiredSize, PSP_DEVINFO_DATA device);

// The class an information file names in its [Version] section (Class= and ClassGuid=).
BOOL WINAPI SetupDiGetINFClassW(PCWSTR infName, LPGUID classGuid, PWSTR className, DWORD classNameSize,
                                PDWORD requiredSize);

// An empty list, of one class when classGuid is given.
HDEVINFO WINAPI SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND parent);
// A new element, not yet registered with the machine. deviceName is the instance id,
// or with DICD_GENERATE_ID the middle part of a generated "ROOT\NAME\nnnn".
BOOL WINAPI SetupDiCreateDeviceInfoW(HDEVINFO list, PCWSTR deviceName, const GUID* classGuid,
                                     PCWSTR description, HWND parent, DWORD flags, PSP_DEVINFO_DATA device);
// Adds the machine's device with the instance id to the list.
BOOL WINAPI SetupDiOpenDeviceInfoW(HDEVINFO list, PCWSTR instanceId, HWND parent, DWORD flags,
                                   PSP_DEVINFO_DATA device);
BOOL WINAPI SetupDiGetDeviceInstanceIdW(HDEVINFO list, PSP_DEVINFO_DATA device, PWSTR instanceId, DWORD size,
                                        PDWORD requiredSize);
BOOL WINAPI SetupDiSetDeviceRegistryPropertyW(HDEVINFO list, PSP_DEVINFO_DATA device, DWORD property,
                                              const BYTE* buffer, DWORD size);
// Makes a created element a device of the machine.
BOOL WINAPI SetupDiRegisterDeviceInfo(HDEVINFO list, PSP_DEVINFO_DATA device, DWORD flags,
                                      PSP_DETSIG_CMPPROC compare, PVOID context, PSP_DEVINFO_DATA duplicate);
BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO list, PSP_DEVINFO_DATA device);
BOOL WINAPI SetupDiGetDeviceInstallParamsW(HDEVINFO list, PSP_DEVINFO_DATA device, PSP_DEVINSTALL_PARAMS_W params);
BOOL WINAPI SetupDiSetDeviceInstallParamsW(HDEVINFO list, PSP_DEVINFO_DATA device, PSP_DEVINSTALL_PARAMS_W params);
// Compatible drivers: those of the information file in the install parameters'
// DriverPath (with DI_ENUMSINGLEINF) that name one of the device's hardware ids.
BOOL WINAPI SetupDiBuildDriverInfoList(HDEVINFO list, PSP_DEVINFO_DATA device, DWORD driverType);
BOOL WINAPI SetupDiSelectBestCompatDrv(HDEVINFO list, PSP_DEVINFO_DATA device);
BOOL WINAPI SetupDiSetSelectedDevice(HDEVINFO list, PSP_DEVINFO_DATA device);
// Installs the selected driver on a registered device.
BOOL WINAPI SetupDiInstallDevice(HDEVINFO list, PSP_DEVINFO_DATA device);
// Removes the device from the machine; the install parameters say when that needs a
// restart (DI_NEEDREBOOT).
BOOL WINAPI SetupDiRemoveDevice(HDEVINFO list, PSP_DEVINFO_DATA device);
}
