// The move/resize manager's state as its callers read it (GetOutParam). 32-bit
// layout, 64-bit fields on 4-byte boundaries: 80 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 4)
struct MOVERESIZE_MANAGER_PARAM {
    uint32_t fileSystem;            // +0  enumFILE_SYSTEM_TYPE
    uint32_t u32SectorsPerCluster;  // +4
    uint64_t u64UsedSectors;        // +8
    double dPreSize;                // +16 MB
    double dCurSize;                // +24
    double dNextSize;               // +32
    double dTotalSize;              // +40
    double dCorrectedPreSize;       // +48
    double dCorrectedCurSize;       // +56
    double dCorrectedNextSize;      // +64
    double dCylinderSize;           // +72 one cylinder of the disk, MB
};
#pragma pack(pop)

static_assert(sizeof(MOVERESIZE_MANAGER_PARAM) == 80, "layout");
static_assert(offsetof(MOVERESIZE_MANAGER_PARAM, u64UsedSectors) == 8, "layout");
static_assert(offsetof(MOVERESIZE_MANAGER_PARAM, dPreSize) == 16, "layout");
static_assert(offsetof(MOVERESIZE_MANAGER_PARAM, dCylinderSize) == 72, "layout");
