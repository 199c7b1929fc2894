// The record that describes a partition to create (IPartitionManager::CreatePartition)
// and that the command channel carries by value. Its layout is the 32-bit one, with
// 64-bit fields on 4-byte boundaries: 1,060 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 4)
struct AddPartitionParam {
    uint32_t FileSystem;          // +0    enumFILE_SYSTEM_TYPE
    uint64_t FirstSector;         // +4    first sector of the partition's slot
    uint64_t LastSector;          // +12   last sector, inclusive
    char Name[1028];              // +20   volume label or name text, NUL-terminated
    char DriveLetter;             // +1048 the manager keeps the partition's own
    uint8_t Primary;              // +1049 1 primary, 0 logical
    uint8_t Reserved[2];          // +1050
    uint32_t SectorsPerCluster;   // +1052
    uint32_t PartitionType;       // +1056 type id for the table; 0 lets the manager choose
};
#pragma pack(pop)

static_assert(sizeof(AddPartitionParam) == 1060, "layout");
static_assert(offsetof(AddPartitionParam, FirstSector) == 4, "layout");
static_assert(offsetof(AddPartitionParam, LastSector) == 12, "layout");
static_assert(offsetof(AddPartitionParam, Name) == 20, "layout");
static_assert(offsetof(AddPartitionParam, DriveLetter) == 1048, "layout");
static_assert(offsetof(AddPartitionParam, Primary) == 1049, "layout");
static_assert(offsetof(AddPartitionParam, SectorsPerCluster) == 1052, "layout");
static_assert(offsetof(AddPartitionParam, PartitionType) == 1056, "layout");
