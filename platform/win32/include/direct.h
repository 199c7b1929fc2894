// The C run-time's folder calls and free space.
#pragma once

struct _diskfree_t {
    unsigned total_clusters;
    unsigned avail_clusters;
    unsigned sectors_per_cluster;
    unsigned bytes_per_sector;
};

extern "C" {
// 0, or -1 with errno set (EEXIST, ENOENT). "X:\..." paths go through the drive table.
int _wmkdir(const wchar_t* path);
int _wrmdir(const wchar_t* path);
// Free space of drive number drive (1 = A:, 2 = B:, ...; 0 is not offered here):
// 0, or a Win32 error (ERROR_INVALID_DRIVE) with errno EACCES.
unsigned _getdiskfree(unsigned drive, struct _diskfree_t* space);
}
