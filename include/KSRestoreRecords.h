// Records the restore engine takes from its caller and hands to its callback.
//
// _KS_RESTORE_TARGET is the engine's own description of where a restore goes (or, in
// a clone, where it comes from). The command channel builds it field by field from
// the console's restore item; the engine reads only the fields named here and carries
// the rest along. It is packed so that its fields sit where every caller expects them.
#pragma once

#include <cstddef>
#include <cstdint>

enum : uint32_t {
    KS_RESTORE_TARGET_SIZE = 160,
    KS_RESTORE_REQUEST_TEXT_CHARS = 128,
    KS_RESTORE_BOOT_TRACK_SECTORS = 63,
};

#pragma pack(push, 1)
struct _KS_RESTORE_TARGET {
    uint8_t DiskNumber;         // +0   the N of "\\.\PhysicalDriveN"
    uint64_t FirstSector;       // +1   0 with a count of 0: the whole disk
    uint64_t SectorCount;       // +9   0: the whole disk
    uint16_t FileSystem;        // +17  live source: 2 FAT16, 3 FAT32, 4 NTFS; target: 3 asks for a FAT copy
    uint8_t DriveLetter;        // +19  wanted letter of the restored partition; anything else: none
    uint8_t Reserved20;         // +20
    uint8_t PatchHiddenSectors; // +21  non-zero: a FAT boot sector gets the first sector as hidden sectors
    uint8_t BootFlag;           // +22  the partition holds the restored system
    uint8_t ImageDisk;          // +23  whole-disk restore: the image disk (volume record byte 12)
    uint8_t Reserved24[128];    // +24  carried along, never read
    uint64_t HiddenSectors;     // +152 distance from the partition's table record to its first sector
};
#pragma pack(pop)
static_assert(sizeof(_KS_RESTORE_TARGET) == KS_RESTORE_TARGET_SIZE, "_KS_RESTORE_TARGET is 160 bytes");
static_assert(offsetof(_KS_RESTORE_TARGET, FirstSector) == 1, "layout");
static_assert(offsetof(_KS_RESTORE_TARGET, SectorCount) == 9, "layout");
static_assert(offsetof(_KS_RESTORE_TARGET, FileSystem) == 17, "layout");
static_assert(offsetof(_KS_RESTORE_TARGET, DriveLetter) == 19, "layout");
static_assert(offsetof(_KS_RESTORE_TARGET, PatchHiddenSectors) == 21, "layout");
static_assert(offsetof(_KS_RESTORE_TARGET, BootFlag) == 22, "layout");
static_assert(offsetof(_KS_RESTORE_TARGET, ImageDisk) == 23, "layout");
static_assert(offsetof(_KS_RESTORE_TARGET, HiddenSectors) == 152, "layout");

// Kinds of the request record.
enum : uint32_t {
    KS_RESTORE_REQUEST_FILE = 0,
    KS_RESTORE_REQUEST_DISC = 2,
};

// Callback messages.
enum : unsigned long {
    KS_RESTORE_MSG_DISC = 1,  // data: _KS_RESTORE_REQUEST of kind 2
    KS_RESTORE_MSG_DONE = 2,  // data: null; an image has been restored, or the run ended
    KS_RESTORE_MSG_FILE = 3,  // data: _KS_RESTORE_REQUEST of kind 0
};

// What a disc or file request asks for. In-process only: copy it with sizeof (with
// 4-byte wchar_t it is larger than the 264 bytes of the Windows build).
struct _KS_RESTORE_REQUEST {
    uint32_t Kind;    // KS_RESTORE_REQUEST_*
    uint32_t Number;  // disc: drive index of the image path's letter (0 for A); file: the file number
    wchar_t Text[KS_RESTORE_REQUEST_TEXT_CHARS]; // disc: its number in decimal; file: its name; cut, terminated
};
static_assert(offsetof(_KS_RESTORE_REQUEST, Text) == 8, "layout");

// One queued operation. The engine owns both records (copies made when queued).
struct _KS_RESTORE_OPERATION {
    void* Source;      // _KS_VOLUME (partition restore) or _KS_RESTORE_TARGET (disk restore, clone)
    void* Target;      // _KS_RESTORE_TARGET
    uint32_t Option;   // non-zero: copy every sector instead of going by the file system
};
