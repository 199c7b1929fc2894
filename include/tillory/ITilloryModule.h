// The file-system check module's interface ("Tillory.mo", key "ITilloryModule").
#pragma once

#include "MomPtr.h"

class ITilloryModule : public IObject {
public:
    virtual unsigned long TilloryReserved5() = 0;  // slot 5
    virtual unsigned long TilloryReserved6() = 0;  // slot 6
    // Checks, without changing anything, the file system of the partition that starts
    // at the given sector of disk number disk (its position in the disk list). Non-zero
    // when the file system is clean; 0 when it is damaged, unknown or cannot be read.
    virtual unsigned long CheckFileSystem(unsigned long disk, unsigned long firstSectorLow,
                                          unsigned long firstSectorHigh, unsigned long reserved) = 0;  // slot 7

protected:
    ~ITilloryModule() {}
};
