/* The kernel's own numbers the core answers with and decides by: statuses, the
 * standard control codes a disk stack sends, and the SCSI request block's values.
 * Written here so that the core needs no kernel header; a check built against
 * the kernel's headers (driver/windows/ZeDiskCodeCheck.c) proves each one. */
#ifndef ZEDISK_CODES_H
#define ZEDISK_CODES_H

#include <stdint.h>

enum {
    ZD_STATUS_SUCCESS = 0,
    ZD_STATUS_TIMEOUT = 0x00000102,
    ZD_STATUS_PENDING = 0x00000103,
    ZD_STATUS_UNSUCCESSFUL = (int32_t)0xC0000001,
    ZD_STATUS_INVALID_PARAMETER = (int32_t)0xC000000D,
    ZD_STATUS_NO_SUCH_DEVICE = (int32_t)0xC000000E,
    ZD_STATUS_INVALID_DEVICE_REQUEST = (int32_t)0xC0000010,
    ZD_STATUS_END_OF_FILE = (int32_t)0xC0000011,
    ZD_STATUS_BUFFER_TOO_SMALL = (int32_t)0xC0000023,
    ZD_STATUS_INSUFFICIENT_RESOURCES = (int32_t)0xC000009A,
    ZD_STATUS_DEVICE_DATA_ERROR = (int32_t)0xC000009C,
    ZD_STATUS_MEDIA_WRITE_PROTECTED = (int32_t)0xC00000A2,
    ZD_STATUS_NOT_SUPPORTED = (int32_t)0xC00000BB,
    ZD_STATUS_WMI_READ_ONLY = (int32_t)0xC00002C6,
    ZD_STATUS_WMI_NOT_SUPPORTED = (int32_t)0xC00002DD,
};

/* Standard control codes a child disk answers. */
enum {
    ZD_IOCTL_SCSI_GET_CAPABILITIES = 0x00041010,
    ZD_IOCTL_SCSI_GET_ADDRESS = 0x00041018,
    ZD_IOCTL_DISK_GET_DRIVE_GEOMETRY = 0x00070000,
    ZD_IOCTL_DISK_GET_MEDIA_TYPES = 0x00070C00,
    ZD_IOCTL_DISK_IS_WRITABLE = 0x00070024,
    ZD_IOCTL_STORAGE_QUERY_PROPERTY = 0x002D1400,
    /* The code a SCSI request carries when it only claims or releases the disk. */
    ZD_IOCTL_SCSI_EXECUTE_NONE = 0x001B0013,
};

/* SCSI request block values. */
enum {
    ZD_SRB_STATUS_PENDING = 0x00,
    ZD_SRB_STATUS_SUCCESS = 0x01,
    ZD_SRB_STATUS_ERROR = 0x04,
    ZD_SRB_STATUS_INVALID_REQUEST = 0x06,
    ZD_SRB_STATUS_NO_DEVICE = 0x08,
    ZD_SRB_FUNCTION_EXECUTE_SCSI = 0x00,
    ZD_SRB_FUNCTION_SHUTDOWN = 0x07,
    ZD_SRB_FUNCTION_FLUSH = 0x08,
    ZD_SRB_FLAGS_DATA_IN = 0x40,
    ZD_SRB_FLAGS_DATA_OUT = 0x80,
    ZD_SCSI_STATUS_GOOD = 0x00,
    ZD_SCSI_STATUS_CHECK_CONDITION = 0x02,
};

/* Media type of a fixed disk in its geometry. */
enum { ZD_MEDIA_FIXED = 12 };

#endif
