// One planned partition of a target disk (clone layout, restore target page, disk
// map). 32-bit layout, 64-bit fields on 4-byte boundaries: 1,096 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vessmar/AddPartitionParam.h"

#pragma pack(push, 4)
struct TagRSPartitionInfo {
    AddPartitionParam addParam;     // +0    what the device manager creates
    uint64_t u64SourceFirstSector;  // +1060 first sector of the source partition
    uint8_t u8KeepSize;             // +1068 the partition keeps its full size
    int64_t s64UseSector;           // +1072 used sectors
    uint32_t u32PartitionType;      // +1080 type id to write into the table
    uint8_t u8Active;               // +1084
    uint8_t u8SecondFlag;           // +1085 carried over from the source's flags
    uint8_t u8DriveLetter;          // +1086
    uint64_t u64HiddenSectors;      // +1088
};
#pragma pack(pop)

static_assert(sizeof(TagRSPartitionInfo) == 1096, "layout");
static_assert(offsetof(TagRSPartitionInfo, u64SourceFirstSector) == 1060, "layout");
static_assert(offsetof(TagRSPartitionInfo, u8KeepSize) == 1068, "layout");
static_assert(offsetof(TagRSPartitionInfo, s64UseSector) == 1072, "layout");
static_assert(offsetof(TagRSPartitionInfo, u32PartitionType) == 1080, "layout");
static_assert(offsetof(TagRSPartitionInfo, u8Active) == 1084, "layout");
static_assert(offsetof(TagRSPartitionInfo, u64HiddenSectors) == 1088, "layout");
