// One planned partition of a scheme: 284 bytes in a scheme file. A stored record's
// type is never 0: a record of type 0 ends the list.
#pragma once

#include <cstdint>

constexpr unsigned long kSchemePartitionSize = 284;
constexpr unsigned long kSchemeLabelSize = 256;

enum : uint32_t {
    SCHEME_PARTITION_PRIMARY = 1,
    SCHEME_PARTITION_LOGICAL = 2,
};

struct tagSCHEME_PARTITION {
    uint32_t u32Reserved0;              // file +0, kept as read
    uint32_t u32Type;                   // file +4: 1 primary, 2 logical
    uint32_t u32FileSystem;             // file +8, enumFILE_SYSTEM_TYPE
    char szLabel[kSchemeLabelSize];     // file +12
    uint32_t u32Percent;                // file +268
    uint32_t u32MinimalMB;              // file +272
    uint32_t u32Default;                // file +276
    uint32_t u32Reserved280;            // file +280, kept as read
};
