// A move/resize turned into sectors: file system, cluster size and the inclusive
// sector range. 32-bit layout: 28 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 4)
struct MOVE_RESIZE_OPERATION_PARAM {
    uint32_t fileSystem;            // +0  enumFILE_SYSTEM_TYPE
    uint32_t u32SectorsPerCluster;  // +4
    uint64_t u64FirstSector;        // +8
    uint64_t u64LastSector;         // +16 inclusive
    uint32_t u32Reserved;           // +24 carried, never read by the manager
};
#pragma pack(pop)

static_assert(sizeof(MOVE_RESIZE_OPERATION_PARAM) == 28, "layout");
static_assert(offsetof(MOVE_RESIZE_OPERATION_PARAM, u64FirstSector) == 8, "layout");
static_assert(offsetof(MOVE_RESIZE_OPERATION_PARAM, u64LastSector) == 16, "layout");
static_assert(offsetof(MOVE_RESIZE_OPERATION_PARAM, u32Reserved) == 24, "layout");
