// The volume of a partition, where the platform gives volumes names and letters.
#pragma once

#include "MomPtr.h"

class IVolumeEntryInfo : public IObject {
public:
    virtual char GetDriveLetter() = 0;                    // slot 5, 0 when none
    virtual const char* GetMountName() = 0;               // slot 6, "" when none
    // Records the letter the volume is to have ('A'-'Z', or 0 for none); 0 on success.
    virtual unsigned long SetDriveLetter(char letter) = 0;  // slot 7
    // Has the platform mount the volume; 0 on success.
    virtual unsigned long MountVolume() = 0;              // slot 8
    // Whether the volume is mounted now; hint is a letter to try first, or 0.
    virtual bool IsVolumeMounted(char hint) = 0;          // slot 9
    // Undoes MountVolume; 0 on success.
    virtual unsigned long UnmountVolume() = 0;            // slot 10

protected:
    ~IVolumeEntryInfo() {}
};
