#include "CResidentAttribute.h"

#include <cstring>

bool CResidentAttribute::GetSize(CRWContextI&, uint64_t& size)
{
    size = attribute_.GetResidentData().size();
    return true;
}

bool CResidentAttribute::GetData(CRWContextI&, unsigned char* buffer, uint64_t offset, uint64_t length)
{
    const std::vector<unsigned char>& value = attribute_.GetResidentData();
    if (buffer == nullptr || !RangeInside(offset, length, value.size()))
        return false;
    if (length != 0)
        std::memcpy(buffer, value.data() + offset, static_cast<size_t>(length));
    return true;
}
