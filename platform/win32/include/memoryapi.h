// File mappings: a section over a file and views of it mapped into the process.
// On Linux a mapping grows its file (sparse) to the mapping's size and a view is an
// mmap of the file with MAP_SHARED, so the bytes written through a view are the
// file's bytes. Views start at multiples of the allocation granularity (64 KiB).
#pragma once

#include "minwinbase.h"
#include "windef.h"

// Page protections of a mapping.
#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u
// Section attributes: reserved pages are committed as they are touched (accepted and
// kept; a Linux mapping is always backed that way).
#define SEC_COMMIT 0x08000000u
#define SEC_RESERVE 0x04000000u

// Access of a view.
#define FILE_MAP_COPY 0x0001u
#define FILE_MAP_WRITE 0x0002u
#define FILE_MAP_READ 0x0004u
#define FILE_MAP_ALL_ACCESS 0x000F001Fu

// What GetSystemInfo reports as dwAllocationGranularity.
#define KS_ALLOCATION_GRANULARITY 0x10000u

extern "C" {
// A mapping of the file for maximumSize bytes (0: the file's size); a file shorter than
// that grows to it. Names are not shared between mappings. Null with the last error
// set on failure: ERROR_INVALID_HANDLE for a handle that is not an open file,
// ERROR_FILE_INVALID for an empty file mapped with size 0, ERROR_INVALID_PARAMETER for
// an unknown protection, ERROR_ACCESS_DENIED for a writable mapping of a file opened
// for reading.
HANDLE WINAPI CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect, DWORD maximumSizeHigh,
                                 DWORD maximumSizeLow, LPCWSTR name);
// bytes 0 maps to the end of the mapping. ERROR_MAPPED_ALIGNMENT for an offset that is
// not a multiple of 64 KiB; ERROR_ACCESS_DENIED for a view past the mapping's end or
// a writable view of a read-only mapping.
LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
// ERROR_INVALID_ADDRESS for an address that is not the start of a view.
BOOL WINAPI UnmapViewOfFile(LPCVOID address);
}
