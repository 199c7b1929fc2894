// A disk's geometry as the partition tables use it. No value is ever 0.
#pragma once

#include <cstdint>

#include "MomPtr.h"

class IDiskGeometry : public IObject {
public:
    virtual unsigned long long GetCylinders() = 0;  // slot 5
    virtual uint32_t GetTracksPerCylinder() = 0;    // slot 6
    virtual uint32_t GetSectorsPerTrack() = 0;      // slot 7
    virtual uint32_t GetBytesPerSector() = 0;       // slot 8

protected:
    ~IDiskGeometry() {}
};
