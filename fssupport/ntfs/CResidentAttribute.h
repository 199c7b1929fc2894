// An attribute whose value lives inside its file record.
#pragma once

#include "CAttributeBase.h"

class CResidentAttribute : public CAttributeBase {
public:
    using CAttributeBase::CAttributeBase;

    bool GetSize(CRWContextI& context, uint64_t& size) override;
    bool GetData(CRWContextI& context, unsigned char* buffer, uint64_t offset, uint64_t length) override;
};
