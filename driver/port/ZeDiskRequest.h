/* One request to a device of the bus driver, decoded from the kernel's packet by the
 * glue (or built by the Linux fake) and handed to the core's dispatch. The core
 * completes it or passes it down through the port, and writes its answers into the
 * fields marked "out". */
#ifndef ZEDISK_REQUEST_H
#define ZEDISK_REQUEST_H

#include "ZeDiskPort.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
    ZD_MJ_CREATE = 0x00,
    ZD_MJ_CLOSE = 0x02,
    ZD_MJ_READ = 0x03,
    ZD_MJ_WRITE = 0x04,
    ZD_MJ_FLUSH_BUFFERS = 0x09,
    ZD_MJ_DEVICE_CONTROL = 0x0E,
    ZD_MJ_INTERNAL_DEVICE_CONTROL = 0x0F, /* SCSI */
    ZD_MJ_SHUTDOWN = 0x10,
    ZD_MJ_CLEANUP = 0x12,
    ZD_MJ_POWER = 0x16,
    ZD_MJ_SYSTEM_CONTROL = 0x17,
    ZD_MJ_PNP = 0x1B,
};

enum {
    ZD_MN_START_DEVICE = 0x00,
    ZD_MN_QUERY_REMOVE_DEVICE = 0x01,
    ZD_MN_REMOVE_DEVICE = 0x02,
    ZD_MN_CANCEL_REMOVE_DEVICE = 0x03,
    ZD_MN_STOP_DEVICE = 0x04,
    ZD_MN_QUERY_STOP_DEVICE = 0x05,
    ZD_MN_CANCEL_STOP_DEVICE = 0x06,
    ZD_MN_QUERY_DEVICE_RELATIONS = 0x07,
    ZD_MN_QUERY_INTERFACE = 0x08,
    ZD_MN_QUERY_CAPABILITIES = 0x09,
    ZD_MN_QUERY_DEVICE_TEXT = 0x0C,
    ZD_MN_EJECT = 0x11,
    ZD_MN_QUERY_ID = 0x13,
    ZD_MN_QUERY_BUS_INFORMATION = 0x15,
    ZD_MN_DEVICE_USAGE_NOTIFICATION = 0x16,
    ZD_MN_SURPRISE_REMOVAL = 0x17,

    ZD_MN_WAIT_WAKE = 0x00,
    ZD_MN_SET_POWER = 0x02,
    ZD_MN_QUERY_POWER = 0x03,
};

enum { ZD_BUS_RELATIONS = 0, ZD_TARGET_RELATION = 4 };
enum { ZD_ID_DEVICE = 0, ZD_ID_HARDWARE = 1, ZD_ID_COMPATIBLE = 2, ZD_ID_INSTANCE = 3 };
enum { ZD_TEXT_DESCRIPTION = 0, ZD_TEXT_LOCATION = 1 };
enum { ZD_POWER_SYSTEM = 0, ZD_POWER_DEVICE = 1 };

/* The device capabilities record, field by field. */
typedef struct ZdCapabilities {
    uint16_t Size;
    uint16_t Version;
    uint8_t DeviceD1, DeviceD2, LockSupported, EjectSupported, Removable, DockDevice, UniqueID,
        SilentInstall, RawDeviceOK, SurpriseRemovalOK, WakeFromD0, WakeFromD1, WakeFromD2, WakeFromD3,
        HardwareDisabled;
    uint32_t Address;
    uint32_t UINumber;
    uint32_t DeviceState[7];
    uint32_t SystemWake;
    uint32_t DeviceWake;
    uint32_t D1Latency, D2Latency, D3Latency;
} ZdCapabilities;

/* A SCSI request block, field by field. The core changes SrbStatus, ScsiStatus and
 * DataTransferLength; the port writes them back into the real block. */
typedef struct ZdScsi {
    uint16_t Length;
    uint8_t Function;
    uint8_t SrbStatus;
    uint8_t ScsiStatus;
    uint8_t CdbLength;
    uint8_t SenseInfoBufferLength;
    uint32_t SrbFlags;
    uint32_t DataTransferLength;
    void* DataBuffer;
    void* SenseInfoBuffer;
    uint8_t Cdb[16];
} ZdScsi;

typedef struct ZdRequest {
    ZdPortIrp* Irp;
    uint8_t Major;
    uint8_t Minor;
    /* Device control and internal device control: the code and the system buffer. */
    uint32_t Code;
    void* Buffer;
    uint32_t InputLength;
    uint32_t OutputLength;
    /* Read and write: the requested length. */
    uint32_t Length;
    /* Plug and Play. */
    uint32_t RelationType;
    int HasInformation;       /* the packet already carries an answer (a list, a text) */
    uint32_t IdType;
    uint32_t TextType;
    ZdCapabilities* Capabilities;
    uint8_t InterfaceType[16]; /* the GUID as u32, u16, u16, 8 bytes, little-endian */
    uint16_t InterfaceSize;
    uint16_t InterfaceVersion;
    /* Power. */
    uint32_t PowerType;
    uint32_t PowerState;
    /* SCSI. */
    ZdScsi* Srb;
} ZdRequest;

#ifdef __cplusplus
}
#endif

#endif
