// The disk and partition records that the disk enumeration module fills.
//
// Both travel unchanged inside the command channel's replies, so their layouts are
// exchange formats. The fields are declared once (the macros below) and laid out in
// two ways: the Windows build aligns 64-bit fields to 8 bytes (296 and 200 bytes); every
// Linux build, the console among them, aligns them to 4 (292 and 188 bytes, the
// partition record being the console's __PARTITION_INFO_CMD). Each build names its own
// layout _KS_DISK_INFO / _KS_PARTITION_INFO; the other one exists only so that both
// offset tables are asserted by every compiler. Copy the records with sizeof.
#pragma once

#include <cstddef>
#include <cstdint>

// Bits of _KS_PARTITION_INFO::Flags. Bits 5 to 7 stay 0.
enum : uint8_t {
    KS_PART_FLAG_ACTIVE = 0x01,          // the table entry is marked active
    KS_PART_FLAG_BOOT_A = 0x02,          // boot information: first answer
    KS_PART_FLAG_BOOT_B = 0x04,          // boot information: third answer
    KS_PART_FLAG_HIDDEN_TYPE = 0x08,     // type id 0x11, 0x14, 0x16, 0x17, 0x1B, 0x1C or 0x1E
    KS_PART_FLAG_WRITE_PROTECTED = 0x10, // the lettered volume reports itself write-protected
};

constexpr size_t KS_DISK_MODEL_SIZE = 256;      // at most 255 characters and the NUL
constexpr size_t KS_PARTITION_LABEL_SIZE = 128; // at most 127 characters and the NUL

// Padding between fields is left to the compiler; callers zero a record before use.
#define KS_DISK_INFO_FIELDS                                                              \
    char ModelName[KS_DISK_MODEL_SIZE]; /* NUL-terminated */                             \
    uint64_t Cylinders;                                                                  \
    uint32_t TracksPerCylinder; /* heads */                                              \
    uint32_t SectorsPerTrack;                                                            \
    uint64_t TotalSectors;                                                               \
    uint16_t DiskType; /* 0 dynamic, 1 GPT, other values basic */                        \
    uint8_t BadDisk;   /* 1 when the device manager calls the disk unusable */           \
    uint8_t Dynamic;   /* 1 when DiskType is 0 */                                        \
    uint32_t BytesPerSector;                                                             \
    uint32_t InterfaceType; /* _Interface_Type: 1 SCSI ... 7 USB, 8 RAID */

#define KS_PARTITION_INFO_FIELDS                                                         \
    char VolumeLabel[KS_PARTITION_LABEL_SIZE]; /* NUL-terminated, all zero when none */  \
    char DriveLetter;       /* 0 when the partition has no volume */                     \
    uint8_t PartitionType;  /* table type id; 0 for unallocated space */                 \
    uint64_t SectorCount;                                                                \
    uint64_t UsedSectors;   /* 0 when the file system gives no figure */                 \
    uint64_t FileSystemValue; /* the file system's own 64-bit value (serial number) */   \
    uint8_t Flags;          /* KS_PART_FLAG_* */                                         \
    uint8_t Primary;        /* 1 primary, 0 logical */                                   \
    uint32_t FileSystemType; /* enumFILE_SYSTEM_TYPE; 7 when there is none */            \
    uint8_t DynamicDisk;    /* 1 when the disk's kind is dynamic */                      \
    uint64_t StartSector;                                                                \
    uint32_t SectorsPerCluster; /* 0 when unknown */                                     \
    uint64_t HiddenSectors;

#pragma pack(push, 8)
struct KSDiskInfoWindowsLayout {
    KS_DISK_INFO_FIELDS
};
struct KSPartitionInfoWindowsLayout {
    KS_PARTITION_INFO_FIELDS
};
#pragma pack(pop)

#pragma pack(push, 4)
struct KSDiskInfoLinuxLayout {
    KS_DISK_INFO_FIELDS
};
struct KSPartitionInfoLinuxLayout {
    KS_PARTITION_INFO_FIELDS
};
#pragma pack(pop)

#if defined(_WIN32)
#pragma pack(push, 8)
#else
#pragma pack(push, 4)
#endif
struct _KS_DISK_INFO {
    KS_DISK_INFO_FIELDS
};
struct _KS_PARTITION_INFO {
    KS_PARTITION_INFO_FIELDS
};
#pragma pack(pop)

#if !defined(_WIN32)
// The console's name for the partition record it receives through the command channel.
typedef _KS_PARTITION_INFO __PARTITION_INFO_CMD;
#endif

#undef KS_DISK_INFO_FIELDS
#undef KS_PARTITION_INFO_FIELDS

#if defined(_WIN32)
static_assert(sizeof(_KS_DISK_INFO) == sizeof(KSDiskInfoWindowsLayout), "layout");
static_assert(sizeof(_KS_PARTITION_INFO) == sizeof(KSPartitionInfoWindowsLayout), "layout");
#else
static_assert(sizeof(_KS_DISK_INFO) == sizeof(KSDiskInfoLinuxLayout), "layout");
static_assert(sizeof(_KS_PARTITION_INFO) == sizeof(KSPartitionInfoLinuxLayout), "layout");
#endif

// The Windows layout: 296 bytes, bytes 292-295 reserved and never written.
static_assert(sizeof(KSDiskInfoWindowsLayout) == 296, "layout");
static_assert(offsetof(KSDiskInfoWindowsLayout, Cylinders) == 256, "layout");
static_assert(offsetof(KSDiskInfoWindowsLayout, TracksPerCylinder) == 264, "layout");
static_assert(offsetof(KSDiskInfoWindowsLayout, SectorsPerTrack) == 268, "layout");
static_assert(offsetof(KSDiskInfoWindowsLayout, TotalSectors) == 272, "layout");
static_assert(offsetof(KSDiskInfoWindowsLayout, DiskType) == 280, "layout");
static_assert(offsetof(KSDiskInfoWindowsLayout, BadDisk) == 282, "layout");
static_assert(offsetof(KSDiskInfoWindowsLayout, Dynamic) == 283, "layout");
static_assert(offsetof(KSDiskInfoWindowsLayout, BytesPerSector) == 284, "layout");
static_assert(offsetof(KSDiskInfoWindowsLayout, InterfaceType) == 288, "layout");
// The Linux layout: the same offsets, 292 bytes.
static_assert(sizeof(KSDiskInfoLinuxLayout) == 292, "layout");
static_assert(offsetof(KSDiskInfoLinuxLayout, Cylinders) == 256, "layout");
static_assert(offsetof(KSDiskInfoLinuxLayout, TracksPerCylinder) == 264, "layout");
static_assert(offsetof(KSDiskInfoLinuxLayout, SectorsPerTrack) == 268, "layout");
static_assert(offsetof(KSDiskInfoLinuxLayout, TotalSectors) == 272, "layout");
static_assert(offsetof(KSDiskInfoLinuxLayout, DiskType) == 280, "layout");
static_assert(offsetof(KSDiskInfoLinuxLayout, BadDisk) == 282, "layout");
static_assert(offsetof(KSDiskInfoLinuxLayout, Dynamic) == 283, "layout");
static_assert(offsetof(KSDiskInfoLinuxLayout, BytesPerSector) == 284, "layout");
static_assert(offsetof(KSDiskInfoLinuxLayout, InterfaceType) == 288, "layout");

// The Windows layout: 200 bytes.
static_assert(sizeof(KSPartitionInfoWindowsLayout) == 200, "layout");
static_assert(offsetof(KSPartitionInfoWindowsLayout, DriveLetter) == 128, "layout");
static_assert(offsetof(KSPartitionInfoWindowsLayout, PartitionType) == 129, "layout");
static_assert(offsetof(KSPartitionInfoWindowsLayout, SectorCount) == 136, "layout");
static_assert(offsetof(KSPartitionInfoWindowsLayout, UsedSectors) == 144, "layout");
static_assert(offsetof(KSPartitionInfoWindowsLayout, FileSystemValue) == 152, "layout");
static_assert(offsetof(KSPartitionInfoWindowsLayout, Flags) == 160, "layout");
static_assert(offsetof(KSPartitionInfoWindowsLayout, Primary) == 161, "layout");
static_assert(offsetof(KSPartitionInfoWindowsLayout, FileSystemType) == 164, "layout");
static_assert(offsetof(KSPartitionInfoWindowsLayout, DynamicDisk) == 168, "layout");
static_assert(offsetof(KSPartitionInfoWindowsLayout, StartSector) == 176, "layout");
static_assert(offsetof(KSPartitionInfoWindowsLayout, SectorsPerCluster) == 184, "layout");
static_assert(offsetof(KSPartitionInfoWindowsLayout, HiddenSectors) == 192, "layout");
// The Linux layout: 188 bytes, the console's partition record.
static_assert(sizeof(KSPartitionInfoLinuxLayout) == 188, "layout");
static_assert(offsetof(KSPartitionInfoLinuxLayout, DriveLetter) == 128, "layout");
static_assert(offsetof(KSPartitionInfoLinuxLayout, PartitionType) == 129, "layout");
static_assert(offsetof(KSPartitionInfoLinuxLayout, SectorCount) == 132, "layout");
static_assert(offsetof(KSPartitionInfoLinuxLayout, UsedSectors) == 140, "layout");
static_assert(offsetof(KSPartitionInfoLinuxLayout, FileSystemValue) == 148, "layout");
static_assert(offsetof(KSPartitionInfoLinuxLayout, Flags) == 156, "layout");
static_assert(offsetof(KSPartitionInfoLinuxLayout, Primary) == 157, "layout");
static_assert(offsetof(KSPartitionInfoLinuxLayout, FileSystemType) == 160, "layout");
static_assert(offsetof(KSPartitionInfoLinuxLayout, DynamicDisk) == 164, "layout");
static_assert(offsetof(KSPartitionInfoLinuxLayout, StartSector) == 168, "layout");
static_assert(offsetof(KSPartitionInfoLinuxLayout, SectorsPerCluster) == 176, "layout");
static_assert(offsetof(KSPartitionInfoLinuxLayout, HiddenSectors) == 180, "layout");
