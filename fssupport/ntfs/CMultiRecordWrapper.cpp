#include "CMultiRecordWrapper.h"

#include "CNoresidentAttribute.h"
#include "CResidentAttribute.h"

bool CMultiRecordWrapper::IsMyself(uint64_t recordNumber) const
{
    for (const CNtfsFileRecord& record : records_.GetRecords()) {
        if (record.GetRecordNumber() == recordNumber)
            return true;
    }
    return false;
}

std::unique_ptr<CAttributeI> CMultiRecordWrapper::GetAttribute(uint32_t type, const std::u16string& name) const
{
    const std::vector<const CNtfsFileRecordAttribute*> extents = records_.GetAttributeExtents(type, name);
    if (extents.empty() || extents.front()->GetLowestVcn() != 0)
        return nullptr;
    if (extents.front()->IsResident())
        return std::make_unique<CResidentAttribute>(*extents.front());
    CNtfsRunList runs;
    if (!records_.GetAttributeRunList(type, name, clusterCount_, runs))
        return nullptr;
    return std::make_unique<CNoresidentAttribute>(*extents.front(), runs);
}
