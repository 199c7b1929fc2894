// The device manager module's root interface ("Vessmar.mo", key "IVessmarModule").
#pragma once

#include "MomPtr.h"

class IManager;

class IVessmarModule : public IObject {
public:
    virtual unsigned long VessmarReserved5() = 0;  // slot 5
    virtual unsigned long VessmarReserved6() = 0;  // slot 6
    // Opens the device tree (scanning it the first time); returns the session object
    // to hand to Attach, or null when no tree can be had.
    virtual IObject* Open(unsigned long flags) = 0;        // slot 7
    virtual unsigned long Refresh(unsigned long flags) = 0;  // slot 8: rescan, 0 on success
    virtual IManager* GetManager() = 0;                      // slot 9: null when none
    virtual unsigned long Attach(IObject* session) = 0;      // slot 10

protected:
    ~IVessmarModule() {}
};
