// The disk enumeration object: lists disks and partitions from the device manager
// module. One per process (CreateCensaObj); its only state is whether Init succeeded.
#pragma once

#include "ICensa.h"

class CCensa final : public ICensa {
public:
    CCensa() {}
    ~CCensa() override {}
    CCensa(const CCensa&) = delete;
    CCensa& operator=(const CCensa&) = delete;

    unsigned long Init() override;
    unsigned long GetDiskCount(unsigned long long* count) override;
    unsigned long GetDiskInfo(unsigned long long disk, _KS_DISK_INFO* info) override;
    unsigned long GetPartitionCount(unsigned long long disk, unsigned long long* count) override;
    unsigned long GetPartitionInfo(unsigned long long disk, unsigned long long partition, _KS_PARTITION_INFO* info,
                                   unsigned long long* hiddenSectors) override;
    std::string GetDiskPath(unsigned long long disk) override;
    unsigned long Stop() override;

    // The longest partition still reported as FAT16 (signed comparison); a longer one
    // is reported as "other", so callers never treat it as a FAT16 volume.
    static constexpr long long kLargestFat16Sectors = 8386928;

private:
    bool initialised_ = false;
};
