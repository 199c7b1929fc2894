// The C run-time's directory search. Unlike FindFirstFileW it lists folders too
// (with _A_SUBDIR), "." and ".." among them, as the run-time does.
#pragma once

#include <cstdint>

#include "KSCrtTime.h"

#define _A_NORMAL 0x00u
#define _A_RDONLY 0x01u
#define _A_HIDDEN 0x02u
#define _A_SYSTEM 0x04u
#define _A_SUBDIR 0x10u
#define _A_ARCH 0x20u

struct _wfinddata64_t {
    unsigned attrib;
    __time64_t time_create; // -1: not known on Linux
    __time64_t time_access;
    __time64_t time_write;
    int64_t size;
    wchar_t name[260];
};

extern "C" {
// A search handle, or -1 with errno set (ENOENT when nothing matches). Patterns
// may use "*" and "?"; "X:\..." paths go through the drive table.
intptr_t _wfindfirst64(const wchar_t* pattern, struct _wfinddata64_t* found);
// 0, or -1 with errno ENOENT at the end.
int _wfindnext64(intptr_t search, struct _wfinddata64_t* found);
int _findclose(intptr_t search);
}
