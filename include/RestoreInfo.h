// The console's restore and copy item: where one restore or clone item goes (or, in a
// clone, where it comes from). The console's pages and the clone wizard fill it; the
// command object turns it into the restore engine's own _KS_RESTORE_TARGET before
// anything reaches the engine. Packed: its fields sit where every filler expects them.
#pragma once

#include <cstddef>
#include <cstdint>

enum : uint32_t {
    RESTORE_INFO_SIZE = 290,
    RESTORE_INFO_TEXT_BYTES = 256,
    RESTORE_INFO_NO_LETTER = '*',
};

#pragma pack(push, 1)
struct _RESTORE_INFO {
    uint8_t DiskNumber;      // +0   0-based enumeration index of the disk
    uint64_t FirstSector;    // +1
    uint64_t SectorCount;    // +9
    uint16_t VolumeType;     // +17  1 FAT12, 2 FAT16, 3 FAT32, 4 NTFS, 6 unformatted, 8 BitLocker, 255 unknown
    int32_t DriveLetter;     // +19  a character, sign-extended; '*' for none
    uint8_t Primary;         // +23  1 primary, 0 logical
    uint8_t Active;          // +24
    uint8_t SourceDisk;      // +25  disk inside the image (the boot-record item); else 0
    uint8_t Text[RESTORE_INFO_TEXT_BYTES]; // +26 64 four-byte wide characters, empty
    uint64_t HiddenSectors;  // +282 sectors between the partition's table entry and its data
};
#pragma pack(pop)

static_assert(sizeof(_RESTORE_INFO) == RESTORE_INFO_SIZE, "_RESTORE_INFO is 290 bytes");
static_assert(offsetof(_RESTORE_INFO, FirstSector) == 1, "layout");
static_assert(offsetof(_RESTORE_INFO, SectorCount) == 9, "layout");
static_assert(offsetof(_RESTORE_INFO, VolumeType) == 17, "layout");
static_assert(offsetof(_RESTORE_INFO, DriveLetter) == 19, "layout");
static_assert(offsetof(_RESTORE_INFO, Primary) == 23, "layout");
static_assert(offsetof(_RESTORE_INFO, Active) == 24, "layout");
static_assert(offsetof(_RESTORE_INFO, SourceDisk) == 25, "layout");
static_assert(offsetof(_RESTORE_INFO, Text) == 26, "layout");
static_assert(offsetof(_RESTORE_INFO, HiddenSectors) == 282, "layout");
