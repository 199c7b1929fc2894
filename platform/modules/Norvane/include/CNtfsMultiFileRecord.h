// A file whose attributes are spread over several file records: its base record
// and the child records that its attribute list names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CNtfsFileRecord.h"

class CNtfsMFT;
class CNtfsRunList;

class CNtfsMultiFileRecord {
public:
    // Reads the file of recordNumber: a child record leads to its base record. A
    // base record with an attribute list is read together with every record the
    // list names; each of those must name this base record as its own.
    bool Init(const CNtfsMFT& mft, uint64_t recordNumber);

    uint64_t GetBaseRecordNumber() const { return records_.empty() ? 0 : records_.front().GetRecordNumber(); }
    const CNtfsFileRecord& GetBaseRecord() const { return records_.front(); }
    // The base record first, then the child records in list order.
    const std::vector<CNtfsFileRecord>& GetRecords() const { return records_; }

    // Every extent of the attribute in all records, in order of their first VCN.
    std::vector<const CNtfsFileRecordAttribute*> GetAttributeExtents(uint32_t type, const std::u16string& name) const;
    // The run list of a non-resident attribute joined from all its extents; each
    // extent must start where the previous one ended.
    bool GetAttributeRunList(uint32_t type, const std::u16string& name, int64_t clusterCount,
                             CNtfsRunList& runs) const;

private:
    std::vector<CNtfsFileRecord> records_;
};
