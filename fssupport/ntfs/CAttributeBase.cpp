#include "CAttributeBase.h"

bool CAttributeBase::IsMyself(uint32_t type, const std::u16string& name) const
{
    return attribute_.IsMyself(type, name);
}

bool CAttributeBase::SetData(CRWContextI&, const unsigned char*, uint64_t, uint64_t)
{
    return false;
}
