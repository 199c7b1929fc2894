// Identity and size of a disk.
#pragma once

#include "MomPtr.h"

// Bus kinds of a disk.
enum _Interface_Type {
    INTERFACE_TYPE_UNKNOWN = 0,
    INTERFACE_TYPE_SCSI = 1,
    INTERFACE_TYPE_ATAPI = 2,
    INTERFACE_TYPE_ATA = 3,
    INTERFACE_TYPE_1394 = 4,
    INTERFACE_TYPE_SSA = 5,
    INTERFACE_TYPE_FIBRE = 6,
    INTERFACE_TYPE_USB = 7,
    INTERFACE_TYPE_RAID = 8,
};

class IDiskEntry : public IObject {
public:
    virtual unsigned long DiskEntryReserved5() = 0;    // slot 5
    virtual unsigned long long GetTotalSectors() = 0;  // slot 6
    virtual const char* GetDeviceName() = 0;           // slot 7: "\\.\PhysicalDriveN"
    virtual const char* GetModelName() = 0;            // slot 8
    virtual unsigned long DiskEntryReserved9() = 0;    // slot 9
    virtual unsigned long DiskEntryReserved10() = 0;   // slot 10
    virtual unsigned long DiskEntryReserved11() = 0;   // slot 11
    virtual _Interface_Type GetInterfaceType() = 0;    // slot 12

protected:
    ~IDiskEntry() {}
};
