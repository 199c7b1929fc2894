// The kind of partitioning a disk carries.
#pragma once

#include "MomPtr.h"

enum : unsigned int {
    DISK_TYPE_DYNAMIC = 0,
    DISK_TYPE_GPT = 1,
    DISK_TYPE_BASIC = 2, // MBR partition tables, or none yet
};

class IDiskDeviceType : public IObject {
public:
    virtual unsigned int GetDiskType() = 0;  // slot 5

protected:
    ~IDiskDeviceType() {}
};
