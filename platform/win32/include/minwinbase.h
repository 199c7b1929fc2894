// Records shared by the file and time calls.
#pragma once

#include "windef.h"
#include "winnt.h"

// A point in time as 100-nanosecond intervals, split into two 32-bit words.
typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *PFILETIME, *LPFILETIME;

typedef struct _SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek; // 0 = Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;

static_assert(sizeof(FILETIME) == 8 && sizeof(SYSTEMTIME) == 16, "Win32 record sizes");

// One directory entry found by FindFirstFileW/FindNextFileW. On Linux the layer
// fills the attributes with the POSIX file mode, the size and the name; the other
// fields are zero.
typedef struct _WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
} WIN32_FIND_DATAW, *PWIN32_FIND_DATAW, *LPWIN32_FIND_DATAW;

static_assert(offsetof(WIN32_FIND_DATAW, nFileSizeHigh) == 28 && offsetof(WIN32_FIND_DATAW, cFileName) == 44,
              "find-data layout");

// Asynchronous I/O is not offered; the calls refuse any overlapped argument, so
// the record stays opaque.
typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;
// Only bInheritHandle is used: a pipe end made with it passes to child processes.
typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef RTL_CRITICAL_SECTION CRITICAL_SECTION;
typedef PRTL_CRITICAL_SECTION PCRITICAL_SECTION;
typedef PRTL_CRITICAL_SECTION LPCRITICAL_SECTION;

// The entry point of a thread made by CreateThread.
typedef DWORD(WINAPI* PTHREAD_START_ROUTINE)(LPVOID parameter);
typedef PTHREAD_START_ROUTINE LPTHREAD_START_ROUTINE;
