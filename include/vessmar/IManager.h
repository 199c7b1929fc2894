// The device manager's root: the container of disks.
#pragma once

#include "vessmar/IContainer.h"

class IManager : public IContainer {
protected:
    ~IManager() {}
};
