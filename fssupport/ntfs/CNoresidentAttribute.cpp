#include "CNoresidentAttribute.h"

#include "CNtfsMFT.h"
#include "CRWContextI.h"

bool CNoresidentAttribute::GetSize(CRWContextI&, uint64_t& size)
{
    size = attribute_.GetDataSize();
    return true;
}

bool CNoresidentAttribute::GetData(CRWContextI& context, unsigned char* buffer, uint64_t offset, uint64_t length)
{
    CNtfsMFT* mft = context.GetMFT();
    if (mft == nullptr || buffer == nullptr || !RangeInside(offset, length, attribute_.GetDataSize()))
        return false;
    return mft->ReadRunListData(runs_, offset, buffer, length);
}
