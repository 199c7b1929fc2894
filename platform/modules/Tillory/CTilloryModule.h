// The root object of Tillory.mo: checks a partition's file system with the system's
// own read-only checkers (fsck.fat -n, ntfsfix -n).
#pragma once

#include "MomPtr.h"
#include "tillory/ITilloryModule.h"

class CTilloryModule final : public IModule, public ITilloryModule {
public:
    IObject* GetInterface(const char* key) override;
    // The root lives as long as the process: references are not counted.
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }

    unsigned long TilloryReserved5() override { return 0; }
    unsigned long TilloryReserved6() override { return 0; }
    unsigned long CheckFileSystem(unsigned long disk, unsigned long firstSectorLow, unsigned long firstSectorHigh,
                                  unsigned long reserved) override;
};
