// Registry calls: keys, values and hives loaded from files.
#pragma once

#include "windef.h"
#include "winnt.h"
#include "minwinbase.h"

struct HKEY__;
typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;
typedef LONG LSTATUS;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002u)
#define HKEY_USERS ((HKEY)(ULONG_PTR)0x80000003u)

#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_CREATE_LINK 0x0020u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_ALL_ACCESS 0xF003Fu
// Registry views of a 32-bit program on 64-bit Windows; one registry here, so both see the same keys.
#define KEY_WOW64_64KEY 0x0100u
#define KEY_WOW64_32KEY 0x0200u

#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u

#define REG_OPTION_NON_VOLATILE 0x0u
#define REG_CREATED_NEW_KEY 0x1u
#define REG_OPENED_EXISTING_KEY 0x2u

#ifndef ERROR_MORE_DATA
#define ERROR_MORE_DATA 234u
#endif
#ifndef ERROR_NO_MORE_ITEMS
#define ERROR_NO_MORE_ITEMS 259u
#endif
#ifndef ERROR_BADDB
#define ERROR_BADDB 1009u
#endif
#ifndef ERROR_BADKEY
#define ERROR_BADKEY 1010u
#endif
#ifndef ERROR_CANTWRITE
#define ERROR_CANTWRITE 1013u
#endif
#ifndef ERROR_NOT_REGISTRY_FILE
#define ERROR_NOT_REGISTRY_FILE 1017u
#endif

extern "C" {
LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR className, DWORD options,
                               REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
LSTATUS WINAPI RegCloseKey(HKEY key);
LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR name);
LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize);
// The hive file becomes the key subKey of key (HKEY_LOCAL_MACHINE or HKEY_USERS).
LSTATUS WINAPI RegLoadKeyA(HKEY key, LPCSTR subKey, LPCSTR file);
// Writes the loaded hive back to its file and removes the key.
LSTATUS WINAPI RegUnLoadKeyA(HKEY key, LPCSTR subKey);
}
