// Edits of one partition entry; kept in memory until the disk's Write.
#pragma once

#include "MomPtr.h"

class IPartitionEntryEditor : public IObject {
public:
    virtual unsigned long SetActive(bool active) = 0;            // slot 5, 0 on success
    virtual unsigned long SetPartitionType(unsigned int id) = 0;  // slot 6, 0 on success

protected:
    ~IPartitionEntryEditor() {}
};
