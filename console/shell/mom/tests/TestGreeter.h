// The interface that the loader tests' modules offer.
#pragma once

#include "MomPtr.h"

class ITestGreeter : public IObject {
public:
    virtual const char* Greet() = 0;

protected:
    ~ITestGreeter() {}
};
