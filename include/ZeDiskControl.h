// What the virtual-disk bus driver ZeDisk and the programs that talk to it share:
// its control codes, the identities of bus and child, and the records that cross
// from user mode into the driver. The records are byte-exact (little-endian,
// UTF-16 text as char16_t); both sides read and write them through these layouts.
//
// The header needs no operating-system header, so the driver's freestanding core,
// the mount engine and the tests all include it as it is.
#pragma once

#include <stddef.h>
#include <stdint.h>

// ---------------------------------------------------------------------------
// Control codes of the bus device (IRP_MJ_DEVICE_CONTROL on the bus).
enum : uint32_t {
    IOCTL_ZEDISK_PLUGIN = 0x002AC000,      // in: ZEDISK_PLUGIN_RECORD
    IOCTL_ZEDISK_UNPLUG = 0x002AC004,      // in: ZEDISK_TARGET_RECORD
    IOCTL_ZEDISK_EJECT = 0x002AC008,       // in: ZEDISK_TARGET_RECORD
    IOCTL_ZEDISK_LIST = 0x002A400C,        // out: ZEDISK_DISK_LIST_HEAD and entries
};

// Control codes of a child disk.
enum : uint32_t {
    IOCTL_ZEDISK_GET_RECORD = 0x089A4010,  // out: the plug-in record, password zeroed
    IOCTL_ZEDISK_SET_LETTER = 0x089AC014,  // in: a plug-in record; its letter index is taken
    IOCTL_ZEDISK_SET_READONLY = 0x089AC018, // in: a plug-in record; the disk becomes read-only
};

// ---------------------------------------------------------------------------
// Identities. The GUID layout is the usual one (u32, u16, u16, 8 bytes).
struct ZeDiskGuid {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};

// The interface class the bus device registers; user mode finds the bus through it.
constexpr ZeDiskGuid ZEDISK_GUID_BUS_INTERFACE = {
    0xD35F7840, 0x6A0C, 0x11D2, {0xB8, 0x41, 0x00, 0xC0, 0x4F, 0xAD, 0x51, 0x79}};
// The device class of the child disks.
constexpr ZeDiskGuid ZEDISK_GUID_CHILD_CLASS = {
    0x9D3039DD, 0xCCA5, 0x4B4D, {0xB3, 0x3D, 0xE2, 0xDD, 0xC8, 0xA8, 0xC5, 0x2B}};
// The first part of a child's device id.
constexpr ZeDiskGuid ZEDISK_GUID_CHILD_ID = {
    0xB85B7C50, 0x6A01, 0x11D2, {0xB8, 0x41, 0x00, 0xC0, 0x4F, 0xAD, 0x51, 0x79}};
// The bus type a child reports in its bus information (our own value).
constexpr ZeDiskGuid ZEDISK_GUID_BUS_TYPE = {
    0x5A6E7D10, 0x2C4B, 0x4E8F, {0x9A, 0x13, 0x6D, 0x2E, 0x71, 0x40, 0xB5, 0x0C}};

inline bool ZeDiskGuidEqual(const ZeDiskGuid& a, const ZeDiskGuid& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}

// The same identity in a system's own GUID record (any type with the usual four fields).
template <class Guid>
Guid ZeDiskGuidAs(const ZeDiskGuid& g)
{
    Guid out{};
    out.Data1 = g.Data1;
    out.Data2 = g.Data2;
    out.Data3 = g.Data3;
    for (int i = 0; i < 8; ++i)
        out.Data4[i] = g.Data4[i];
    return out;
}

// The child's hardware identifiers (a multi-string) and compatible identifier.
#define ZEDISK_CHILD_DEVICE_ID u"{B85B7C50-6A01-11d2-B841-00C04FAD5179}\\ZeDisk"
#define ZEDISK_CHILD_COMPATIBLE_ID u"GenDisk"
// The name of the root-enumerated bus device the installer creates.
#define ZEDISK_BUS_HARDWARE_ID u"root\\ZeDisk"

// ---------------------------------------------------------------------------
// Records.
enum : uint32_t {
    ZEDISK_PLUGIN_RECORD_SIZE = 912,
    ZEDISK_TARGET_RECORD_SIZE = 16,
    ZEDISK_DISK_LIST_HEAD_SIZE = 16,
    ZEDISK_DISK_LIST_ENTRY_SIZE = 256,
    ZEDISK_PASSWORD_CHARS = 64,
    ZEDISK_PATH_CHARS = 260,
};

// Byte offsets inside the volume record a plug-in record carries (the image's own
// 256-byte volume record, with the wanted drive-letter index written over byte 16).
enum : uint32_t {
    ZEDISK_VOLUME_LETTER = 16,        // u8 drive-letter index 0..25
    ZEDISK_VOLUME_FILE_SYSTEM = 18,   // u8 1 FAT12, 2 FAT16, 3 FAT32, 4 NTFS, 5, 6, 255 other
    ZEDISK_VOLUME_SECTOR_SIZE = 24,   // u32 bytes per sector
    ZEDISK_VOLUME_PARTITION_TYPE = 39, // u8 partition type id (used for kind 255)
    ZEDISK_VOLUME_SECTORS = 48,       // u64 sector count of the volume
};

// Written by the mount engine, kept whole inside the child.
struct ZEDISK_PLUGIN_RECORD {
    uint32_t Size;                              // +0   912
    uint32_t DiskId;                            // +4   bits 5..31 go into the disk signature
    uint8_t Volume[256];                        // +8   the image's volume record
    char16_t Password[ZEDISK_PASSWORD_CHARS];   // +264 NUL-terminated UTF-16
    char16_t ImagePath[ZEDISK_PATH_CHARS];      // +392 first file of the set, NUL-terminated
};
static_assert(sizeof(ZEDISK_PLUGIN_RECORD) == 912, "ZEDISK_PLUGIN_RECORD is 912 bytes");
static_assert(offsetof(ZEDISK_PLUGIN_RECORD, DiskId) == 4, "layout");
static_assert(offsetof(ZEDISK_PLUGIN_RECORD, Volume) == 8, "layout");
static_assert(offsetof(ZEDISK_PLUGIN_RECORD, Password) == 264, "layout");
static_assert(offsetof(ZEDISK_PLUGIN_RECORD, ImagePath) == 392, "layout");

// Byte offsets of the plug-in record's fields, for code that reads the raw bytes.
enum : uint32_t {
    ZEDISK_RECORD_DISK_ID = 4,
    ZEDISK_RECORD_VOLUME = 8,
    ZEDISK_RECORD_LETTER = 8 + ZEDISK_VOLUME_LETTER,           // 24
    ZEDISK_RECORD_FILE_SYSTEM = 8 + ZEDISK_VOLUME_FILE_SYSTEM, // 26
    ZEDISK_RECORD_SECTOR_SIZE = 8 + ZEDISK_VOLUME_SECTOR_SIZE, // 32
    ZEDISK_RECORD_PARTITION_TYPE = 8 + ZEDISK_VOLUME_PARTITION_TYPE, // 47
    ZEDISK_RECORD_SECTORS = 8 + ZEDISK_VOLUME_SECTORS,         // 56
    ZEDISK_RECORD_PASSWORD = 264,
    ZEDISK_RECORD_PATH = 392,
};

// Which disks UNPLUG and EJECT act on.
struct ZEDISK_TARGET_RECORD {
    uint32_t Size;        // 16
    uint32_t LetterMask;  // bit n = letter index n; 0 = every child
    uint8_t Reserved[8];  // zero
};
static_assert(sizeof(ZEDISK_TARGET_RECORD) == 16, "ZEDISK_TARGET_RECORD is 16 bytes");
static_assert(offsetof(ZEDISK_TARGET_RECORD, LetterMask) == 4, "layout");

// LIST's answer: this head, then one 256-byte volume record per present child that fits.
struct ZEDISK_DISK_LIST_HEAD {
    uint32_t Size;         // 16
    uint32_t LetterMask;   // letter bits of the present children
    uint32_t Present;      // number of present children
    uint32_t Entries;      // number of entries that follow
};
static_assert(sizeof(ZEDISK_DISK_LIST_HEAD) == 16, "ZEDISK_DISK_LIST_HEAD is 16 bytes");
static_assert(offsetof(ZEDISK_DISK_LIST_HEAD, Entries) == 12, "layout");
