// Writes a disk's edited partition tables (the master and the extended chain).
#pragma once

#include "MomPtr.h"

class IPartitionTableChainWriter : public IObject {
public:
    virtual unsigned long Write() = 0;  // slot 5, 0 on success

protected:
    ~IPartitionTableChainWriter() {}
};
