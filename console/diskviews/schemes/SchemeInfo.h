// The information block of a partition scheme: version, name and the smallest disk it
// fits. The menu bar and the side bar take it by value. 2,100 bytes in a scheme file.
#pragma once

#include <cstdint>

constexpr unsigned long kSchemeInfoSize = 2100;
constexpr unsigned long kSchemeNameSize = 260;

struct tagSCHEME_INFO {
    uint32_t u32Version;                  // file +0
    char szSchemeName[kSchemeNameSize];   // file +4, NUL-terminated when written by us
    uint32_t u32MinimalDiskMB;            // file +264
    uint8_t reserved[kSchemeInfoSize - 268];  // file +268, kept as read
};
