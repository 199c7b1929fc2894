// The file system on a partition.
#pragma once

#include "MomPtr.h"
#include "vessmar/FileSystemType.h"

class IFileSystemPartition : public IObject {
public:
    virtual const char* GetVolumeLabel() = 0;              // slot 5, "" when none
    virtual enumFILE_SYSTEM_TYPE GetFileSystemType() = 0;  // slot 6
    // The volume serial number from the boot sector, 0 when there is none.
    virtual unsigned long long GetVolumeSerial() = 0;      // slot 7

protected:
    ~IFileSystemPartition() {}
};
