// A file whose attributes are spread over a base record and its child records.
#pragma once

#include "CNtfsMultiFileRecord.h"
#include "CRecordI.h"

class CMultiRecordWrapper : public CRecordI {
public:
    CMultiRecordWrapper(const CNtfsMultiFileRecord& records, int64_t clusterCount)
        : records_(records), clusterCount_(clusterCount)
    {
    }

    bool IsMyself(uint64_t recordNumber) const override;
    std::unique_ptr<CAttributeI> GetAttribute(uint32_t type, const std::u16string& name) const override;

private:
    CNtfsMultiFileRecord records_;
    int64_t clusterCount_;
};
