// The process token and its privileges.
#pragma once

#include "windef.h"
#include "winnt.h"

typedef struct _LUID {
    DWORD LowPart;
    LONG HighPart;
} LUID, *PLUID;

typedef struct _LUID_AND_ATTRIBUTES {
    LUID Luid;
    DWORD Attributes;
} LUID_AND_ATTRIBUTES, *PLUID_AND_ATTRIBUTES;

typedef struct _TOKEN_PRIVILEGES {
    DWORD PrivilegeCount;
    LUID_AND_ATTRIBUTES Privileges[1];
} TOKEN_PRIVILEGES, *PTOKEN_PRIVILEGES;

#define SE_PRIVILEGE_ENABLED 0x00000002u
#define TOKEN_ADJUST_PRIVILEGES 0x0020u
#define TOKEN_QUERY 0x0008u
#define TOKEN_ALL_ACCESS 0xF01FFu

#define SE_BACKUP_NAME "SeBackupPrivilege"
#define SE_RESTORE_NAME "SeRestorePrivilege"

#ifndef ERROR_NO_SUCH_PRIVILEGE
#define ERROR_NO_SUCH_PRIVILEGE 1313u
#endif
#ifndef ERROR_NOT_ALL_ASSIGNED
#define ERROR_NOT_ALL_ASSIGNED 1300u
#endif
#ifndef ERROR_PRIVILEGE_NOT_HELD
#define ERROR_PRIVILEGE_NOT_HELD 1314u
#endif

extern "C" {
// A pseudo handle that stands for the calling process; it needs no closing.
HANDLE WINAPI GetCurrentProcess(void);
BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, PHANDLE token);
BOOL WINAPI LookupPrivilegeValueA(LPCSTR system, LPCSTR name, PLUID luid);
// Succeeds with ERROR_NOT_ALL_ASSIGNED as the last error when the token lacks one.
BOOL WINAPI AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state, DWORD size,
                                  PTOKEN_PRIVILEGES previous, PDWORD returned);
}
