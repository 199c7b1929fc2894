// An attribute with its head copied out of the file record; answers IsMyself.
#pragma once

#include "CAttributeI.h"
#include "CNtfsFileRecordAttribute.h"

class CAttributeBase : public CAttributeI {
public:
    explicit CAttributeBase(const CNtfsFileRecordAttribute& attribute) : attribute_(attribute) {}

    bool IsMyself(uint32_t type, const std::u16string& name) const override;
    bool SetData(CRWContextI& context, const unsigned char* data, uint64_t offset, uint64_t length) override;

protected:
    // True when [offset, offset + length) lies inside size bytes.
    static bool RangeInside(uint64_t offset, uint64_t length, uint64_t size)
    {
        return offset <= size && length <= size - offset;
    }

    CNtfsFileRecordAttribute attribute_;
};
