// The Win32 names the image container's sources are written against, as the
// driver supplies them: each call is the driver's kernel service of the same name
// (KernelServices.h), so the container builds from its own sources inside the
// driver. Only what the reading side of the container uses is here; it is no
// system header and declares nothing of the platform's own.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "KernelServices.h"

typedef int BOOL;
typedef uint32_t DWORD;
typedef DWORD* LPDWORD;
typedef void* HANDLE;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef int64_t LONGLONG;
typedef union {
    LONGLONG QuadPart;
} LARGE_INTEGER;
typedef struct _OVERLAPPED OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;
typedef zedisk::ZdSecurityAttributes* LPSECURITY_ATTRIBUTES;

// A set identifier as the container's records carry it (16 bytes).
typedef struct _GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define MAX_PATH 260
#define INVALID_HANDLE_VALUE (zedisk::ZdInvalidHandle())

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x1u
#define FILE_SHARE_WRITE 0x2u
#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define FILE_FLAG_NO_BUFFERING 0x20000000u
#define FILE_BEGIN 0u

#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_NOT_ENOUGH_MEMORY 8u
#define ERROR_NOT_SUPPORTED 50u
#define ERROR_FILE_EXISTS 80u
#define ERROR_ALREADY_EXISTS 183u

typedef struct _WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    wchar_t cFileName[MAX_PATH];
} WIN32_FIND_DATAW;

inline HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE /*template*/)
{
    return zedisk::ZdCreateFile(path, access, share, security, disposition, flags);
}

inline BOOL CloseHandle(HANDLE handle) { return zedisk::ZdCloseHandle(handle); }

// Positioned reads and writes (the container's own helpers over ReadFile and
// WriteFile with an overlapped offset); a size of 0 succeeds at once.
inline BOOL ReadFileExt(HANDLE file, LPVOID buffer, DWORD positionLow, DWORD positionHigh, DWORD size, LPDWORD read,
                        LPOVERLAPPED)
{
    const uint64_t offset = positionLow | (uint64_t(positionHigh) << 32);
    uint32_t done = 0;
    const int ok = zedisk::ZdReadFile(file, buffer, size, &done, &offset);
    if (read != nullptr)
        *read = done;
    return ok;
}

inline BOOL WriteFileExt(HANDLE file, LPCVOID data, DWORD positionLow, DWORD positionHigh, DWORD size,
                         LPDWORD written, LPOVERLAPPED)
{
    const uint64_t offset = positionLow | (uint64_t(positionHigh) << 32);
    uint32_t done = 0;
    const int ok = zedisk::ZdWriteFile(file, data, size, &done, &offset);
    if (written != nullptr)
        *written = done;
    return ok;
}

inline BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size)
{
    return zedisk::ZdGetFileSizeEx(file, &size->QuadPart);
}

inline BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* position, DWORD method)
{
    return zedisk::ZdSetFilePointerEx(file, distance.QuadPart, position == nullptr ? nullptr : &position->QuadPart,
                                      method);
}

inline BOOL SetEndOfFile(HANDLE file) { return zedisk::ZdSetEndOfFile(file); }
inline BOOL DeleteFileW(const wchar_t* path) { return zedisk::ZdDeleteFile(path); }
inline DWORD GetLastError() { return zedisk::ZdGetLastError(); }
inline void SetLastError(DWORD error) { zedisk::ZdSetLastError(error); }

// The kernel services list no folders: a search finds nothing, so the container
// takes every file of a set by the name its lists give.
inline HANDLE FindFirstFileW(const wchar_t*, WIN32_FIND_DATAW*)
{
    zedisk::ZdSetLastError(ERROR_NOT_SUPPORTED);
    return INVALID_HANDLE_VALUE;
}
inline BOOL FindNextFileW(HANDLE, WIN32_FIND_DATAW*) { return FALSE; }
inline BOOL FindClose(HANDLE) { return FALSE; }
