// The target disks of a real run: the disks of the disk map, their DOS partition
// tables read through the raw device module, the control call that says whether a
// disk takes writes, and the disk that holds a file of the image set.
#pragma once

#include "RestoreServices.h"

class CDiskMapRestoreDisks : public IRestoreDisks {
public:
    bool ListPartitions(unsigned disk, std::vector<RestorePartition>& out) override;
    uint64_t DiskSectors(unsigned disk) override;
    RestoreFilePlace PlaceOfFile(const std::wstring& path) override;
    bool DiskIsOnline(unsigned disk) override;
};
