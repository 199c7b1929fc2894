// One 16-byte partition record of a master or extended boot record.
#pragma once

#include <cstddef>
#include <cstdint>

#include "LittleEndian.h"

struct MbrPartitionRecord {
    uint8_t bootIndicator;  // +0  0x80 active
    uint8_t chsFirst[3];    // +1
    uint8_t type;           // +4
    uint8_t chsLast[3];     // +5
    uint32_t relativeStart; // +8
    uint32_t sectorCount;   // +12
};
static_assert(sizeof(MbrPartitionRecord) == 16, "layout");
static_assert(offsetof(MbrPartitionRecord, type) == 4, "layout");
static_assert(offsetof(MbrPartitionRecord, relativeStart) == 8, "layout");
static_assert(offsetof(MbrPartitionRecord, sectorCount) == 12, "layout");

constexpr size_t kMbrTableOffset = 446;
constexpr size_t kBootSignatureOffset = 510;

inline MbrPartitionRecord LoadMbrPartitionRecord(const unsigned char* p)
{
    MbrPartitionRecord r;
    LEReader in(p);
    r.bootIndicator = in.U8();
    in.Bytes(r.chsFirst, 3);
    r.type = in.U8();
    in.Bytes(r.chsLast, 3);
    r.relativeStart = in.U32();
    r.sectorCount = in.U32();
    return r;
}

inline bool HasBootSignature(const unsigned char* sector)
{
    return LoadLE16(sector + kBootSignatureOffset) == 0xAA55;
}

inline bool IsExtendedType(unsigned type) { return type == 0x05 || type == 0x0F || type == 0x85; }
// The entry a disk of a dynamic volume set carries in its DOS table.
constexpr unsigned kDynamicSetType = 0x42;
