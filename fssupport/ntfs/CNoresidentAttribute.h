// An attribute whose value lives in clusters: the head of its first extent and the
// run list joined from all its extents.
#pragma once

#include "CAttributeBase.h"
#include "CNtfsRunList.h"

class CNoresidentAttribute : public CAttributeBase {
public:
    CNoresidentAttribute(const CNtfsFileRecordAttribute& firstExtent, const CNtfsRunList& runs)
        : CAttributeBase(firstExtent), runs_(runs)
    {
    }

    bool GetSize(CRWContextI& context, uint64_t& size) override;
    // Reads through the raw disk: partial sectors through a one-sector buffer,
    // whole sectors straight into the buffer, sparse runs as zeros.
    bool GetData(CRWContextI& context, unsigned char* buffer, uint64_t offset, uint64_t length) override;
    const CNtfsRunList& GetRunList() const { return runs_; }

private:
    CNtfsRunList runs_;
};
