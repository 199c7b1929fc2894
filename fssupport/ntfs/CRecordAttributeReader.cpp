#include "CRecordAttributeReader.h"

bool CRecordAttributeReader::GetAttributeData(uint64_t recordNumber, uint32_t type, const std::u16string& name,
                                              unsigned char* buffer, uint64_t offset, uint64_t length)
{
    std::unique_ptr<CAttributeI> attribute = FindAttribute(recordNumber, type, name);
    return attribute && attribute->GetData(*this, buffer, offset, length);
}
