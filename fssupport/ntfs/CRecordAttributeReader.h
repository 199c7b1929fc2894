// Reads attribute values of files by record number, type and name.
#pragma once

#include "CAttributeReadWriteBase.h"

class CRecordAttributeReader : public CAttributeReadWriteBase {
public:
    using CAttributeReadWriteBase::CAttributeReadWriteBase;

    // Reads length bytes from offset of the value; the range must lie inside it.
    bool GetAttributeData(uint64_t recordNumber, uint32_t type, const std::u16string& name, unsigned char* buffer,
                          uint64_t offset, uint64_t length);
};
