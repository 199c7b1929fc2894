// The records the restore engine hands Vovav after a restore: where the restored
// system now lies, for boot.ini (280 bytes) and for the BCD store (296 bytes). Both
// are byte-exact and go through the codecs below.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t KS_BOOTINI_OPTION_BYTES = 280;
constexpr size_t KS_BCD_OPTION_BYTES = 296;
constexpr size_t KS_BOOTINI_PATH_CHARS = 130;
constexpr size_t KS_BCD_PATH_CHARS = 132;
// The old ARC numbers are not known (a clone whose source the walk cannot place).
constexpr uint32_t KS_ARC_UNKNOWN = 0xFFFFFFFFu;

// 280 bytes: +0 u32 old ARC numbers (byte 0 controller, 1 rdisk, 2 partition, as the
// backup reader packs them), +4 u32 disk number, +8 u64 first sector, +16 u8 drive
// letter (0 none), +17 three zero bytes, +20 UTF-16 volume path with its trailing
// backslash (130 characters, zero-filled).
struct KSBootIniOption {
    uint32_t oldArc = KS_ARC_UNKNOWN;
    uint32_t disk = 0;
    uint64_t firstSector = 0;
    uint8_t letter = 0;
    char16_t volumePath[KS_BOOTINI_PATH_CHARS] = {};
};

// 296 bytes: +0 u32 new disk signature, +4 u32 old signature, +8 u64 old first
// sector, +16 u64 new first sector, +24 u32 disk number, +28 u8 drive letter, +29 u8
// boot flag, +30 two zero bytes, +32 UTF-16 volume path with its trailing backslash
// (132 characters, zero-filled).
struct KSBcdOption {
    uint32_t newSignature = 0;
    uint32_t oldSignature = 0;
    uint64_t oldFirstSector = 0;
    uint64_t newFirstSector = 0;
    uint32_t disk = 0;
    uint8_t letter = 0;
    uint8_t boot = 0;
    char16_t volumePath[KS_BCD_PATH_CHARS] = {};
};

void KSStoreBootIniOption(const KSBootIniOption& option, unsigned char out[KS_BOOTINI_OPTION_BYTES]);
KSBootIniOption KSLoadBootIniOption(const unsigned char in[KS_BOOTINI_OPTION_BYTES]);
void KSStoreBcdOption(const KSBcdOption& option, unsigned char out[KS_BCD_OPTION_BYTES]);
KSBcdOption KSLoadBcdOption(const unsigned char in[KS_BCD_OPTION_BYTES]);

#include "VovavRecords.inl"
