// What the disc burner learns of the disc in its drive and hands to the backup
// engine: the media type and the disc's sizes and status.
#pragma once

#include <cstddef>
#include <cstdint>

// The burner's media types, from the drive's current profile.
enum : unsigned long {
    BURN_MEDIA_CD_R = 0,
    BURN_MEDIA_CD_RW = 1,
    BURN_MEDIA_DVD_PLUS_R = 2,
    BURN_MEDIA_DVD_PLUS_RW = 3,
    BURN_MEDIA_DVD_R = 4,
    BURN_MEDIA_DVD_RW = 5,
    BURN_MEDIA_DVD_RAM = 6,
    BURN_MEDIA_UNSUPPORTED = 7,
};

// Disc status as READ DISC INFORMATION gives it.
enum : uint32_t {
    BURN_DISC_BLANK = 0,
    BURN_DISC_APPENDABLE = 1,
    BURN_DISC_COMPLETE = 2,
    BURN_DISC_OTHER = 3,
};

// 40 bytes, little-endian: it passes from the burner to the backup engine.
struct BURN_DISC_INFO {
    uint64_t TotalKiB;   // capacity
    uint64_t UsedKiB;    // the sizes of the closed tracks
    uint64_t FreeKiB;    // the free blocks of the open tracks
    uint32_t Status;     // BURN_DISC_*
    uint8_t Reserved[12];
};
static_assert(sizeof(BURN_DISC_INFO) == 40, "BURN_DISC_INFO is 40 bytes");
static_assert(offsetof(BURN_DISC_INFO, UsedKiB) == 8, "used at 8");
static_assert(offsetof(BURN_DISC_INFO, FreeKiB) == 16, "free at 16");
static_assert(offsetof(BURN_DISC_INFO, Status) == 24, "status at 24");
static_assert(offsetof(BURN_DISC_INFO, Reserved) == 28, "zeros at 28");

// The burner's media type for an MMC current profile.
constexpr unsigned long BurnMediaTypeOfProfile(unsigned profile)
{
    switch (profile & 0xFF) {
    case 0x09: return BURN_MEDIA_CD_R;
    case 0x0A: return BURN_MEDIA_CD_RW;
    case 0x1B: case 0x2B: return BURN_MEDIA_DVD_PLUS_R;
    case 0x1A: case 0x2A: return BURN_MEDIA_DVD_PLUS_RW;
    case 0x11: return BURN_MEDIA_DVD_R;
    case 0x13: case 0x14: return BURN_MEDIA_DVD_RW;
    case 0x12: return BURN_MEDIA_DVD_RAM;
    default: return BURN_MEDIA_UNSUPPORTED;
    }
}

// Write-once media: a disc of these that holds data takes no new first session.
constexpr bool BurnMediaWriteOnce(unsigned long type)
{
    return type == BURN_MEDIA_CD_R || type == BURN_MEDIA_DVD_PLUS_R || type == BURN_MEDIA_DVD_R;
}
