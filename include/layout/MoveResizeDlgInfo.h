// What the move/resize manager shows its dialog: the edit as three sizes in MB plus
// the file system, used sectors and cluster size it will have. 32-bit layout, 64-bit
// fields on 4-byte boundaries: 40 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 4)
struct MOVERESIZ_DLG_INFO {
    double dPreSize;            // +0  free space before, MB
    double dCurSize;            // +8  partition size, MB
    double dNextSize;           // +16 free space after, MB
    uint32_t fileSystem;        // +24 enumFILE_SYSTEM_TYPE
    uint64_t u64UsedSectors;    // +28
    uint32_t u32SectorsPerCluster; // +36
};
#pragma pack(pop)

static_assert(sizeof(MOVERESIZ_DLG_INFO) == 40, "layout");
static_assert(offsetof(MOVERESIZ_DLG_INFO, fileSystem) == 24, "layout");
static_assert(offsetof(MOVERESIZ_DLG_INFO, u64UsedSectors) == 28, "layout");
static_assert(offsetof(MOVERESIZ_DLG_INFO, u32SectorsPerCluster) == 36, "layout");
