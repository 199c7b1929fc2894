// A file held in one file record.
#pragma once

#include "CNtfsFileRecord.h"
#include "CRecordI.h"

class CRecordWrapper : public CRecordI {
public:
    CRecordWrapper(const CNtfsFileRecord& record, uint64_t recordNumber, int64_t clusterCount)
        : record_(record), recordNumber_(recordNumber), clusterCount_(clusterCount)
    {
    }

    bool IsMyself(uint64_t recordNumber) const override { return recordNumber == recordNumber_; }
    std::unique_ptr<CAttributeI> GetAttribute(uint32_t type, const std::u16string& name) const override;

private:
    CNtfsFileRecord record_;
    uint64_t recordNumber_;
    int64_t clusterCount_;
};
