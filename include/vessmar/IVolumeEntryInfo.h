// The mounted volume of a partition, where the platform gives volumes names.
#pragma once

#include "MomPtr.h"

class IVolumeEntryInfo : public IObject {
public:
    virtual char GetDriveLetter() = 0;         // slot 5, 0 when none
    virtual const char* GetMountName() = 0;    // slot 6, "" when none

protected:
    ~IVolumeEntryInfo() {}
};
