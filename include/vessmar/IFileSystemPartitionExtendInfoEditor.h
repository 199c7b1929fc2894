// Sets the allocation figures of a planned partition.
#pragma once

#include "MomPtr.h"

enum : unsigned long {
    USED_SECTORS_FROM_CALLER = 0, // the figure set by SetUsedSectors stands
    USED_SECTORS_MEASURED = 1,    // the file system's own figure again
};

class IFileSystemPartitionExtendInfoEditor : public IObject {
public:
    virtual unsigned long SetUsedSectors(unsigned long long used) = 0;  // slot 5
    virtual unsigned long ExtendInfoEditorReserved6() = 0;              // slot 6
    virtual unsigned long ExtendInfoEditorReserved7() = 0;              // slot 7
    virtual unsigned long ExtendInfoEditorReserved8() = 0;              // slot 8
    virtual unsigned long ExtendInfoEditorReserved9() = 0;              // slot 9
    // Which used-sector figure GetUsedSectors answers from now on.
    virtual unsigned long SetUsedSectorsSource(unsigned long source) = 0;  // slot 10

protected:
    ~IFileSystemPartitionExtendInfoEditor() {}
};
