// Device control codes and their records.
#pragma once

#include "windef.h"

#define CTL_CODE(deviceType, function, method, access) \
    (((deviceType) << 16) | ((access) << 14) | ((function) << 2) | (method))

#define FILE_DEVICE_DISK 0x00000007u
#define IOCTL_DISK_BASE FILE_DEVICE_DISK
#define METHOD_BUFFERED 0u
#define FILE_ANY_ACCESS 0u
#define FILE_READ_ACCESS 1u
#define FILE_WRITE_ACCESS 2u

// No buffers; fails with ERROR_WRITE_PROTECT when the medium is write-protected.
#define IOCTL_DISK_IS_WRITABLE CTL_CODE(IOCTL_DISK_BASE, 0x0009u, METHOD_BUFFERED, FILE_ANY_ACCESS)
// Fills a GET_LENGTH_INFORMATION with the length of the disk or volume in bytes.
#define IOCTL_DISK_GET_LENGTH_INFO CTL_CODE(IOCTL_DISK_BASE, 0x0017u, METHOD_BUFFERED, FILE_READ_ACCESS)

static_assert(IOCTL_DISK_IS_WRITABLE == 0x00070024u, "IOCTL_DISK_IS_WRITABLE");
static_assert(IOCTL_DISK_GET_LENGTH_INFO == 0x0007405Cu, "IOCTL_DISK_GET_LENGTH_INFO");

typedef struct _GET_LENGTH_INFORMATION {
    LARGE_INTEGER Length;
} GET_LENGTH_INFORMATION, *PGET_LENGTH_INFORMATION;
