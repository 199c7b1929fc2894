// The configuration manager: device nodes by instance id. Its call that waits for the
// device installs in progress, CMP_WaitNoPendingInstallEvents, is taken by name from
// the loaded "setupapi.dll" (GetProcAddress), as callers do on Windows.
#pragma once

#include "windef.h"

typedef DWORD CONFIGRET;
typedef DWORD DEVINST;
typedef DWORD* PDEVINST;
typedef WCHAR* DEVINSTID_W;

#define CR_SUCCESS 0x00000000u
#define CR_INVALID_POINTER 0x00000003u
#define CR_INVALID_FLAG 0x00000004u
#define CR_NO_SUCH_DEVNODE 0x0000000Du
#define CR_FAILURE 0x00000013u

// CM_Locate_DevNodeW's flags: present nodes only, or also those registered but absent.
#define CM_LOCATE_DEVNODE_NORMAL 0x00000000u
#define CM_LOCATE_DEVNODE_PHANTOM 0x00000001u

extern "C" {
// The node of the instance id (the root of the tree for null or empty).
CONFIGRET WINAPI CM_Locate_DevNodeW(PDEVINST devInst, DEVINSTID_W instanceId, ULONG flags);
}
