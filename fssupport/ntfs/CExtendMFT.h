// The MFT reader of the NTFS reader: record 0 read straight from the volume, and an
// $MFT whose data run list continues in other file records (through its attribute
// list) joined into one run list.
#pragma once

#include <cstdint>
#include <vector>

#include "CNtfsMFT.h"

class CExtendMFT : public CNtfsMFT {
public:
    bool InitMFT(const CNtfsVolume& volume) override;

    // The file records, other than record 0, that carry parts of $MFT's data run
    // list; sorted, without repeats.
    const std::vector<uint64_t>& GetMftRecordList() const { return mftRecords_; }

private:
    bool AppendExtent(uint64_t recordNumber, uint16_t sequence, int64_t lowestVcn);
    void AddRecordNumber(uint64_t recordNumber);

    std::vector<uint64_t> mftRecords_;
};
