// File-system edits of a partition. It offers nothing of its own yet; callers only
// test that a partition answers it.
#pragma once

#include "MomPtr.h"

class IFileSystemPartitionEditor : public IObject {
protected:
    ~IFileSystemPartitionEditor() {}
};
