#include "CRecordWrapper.h"

#include "CNoresidentAttribute.h"
#include "CResidentAttribute.h"

std::unique_ptr<CAttributeI> CRecordWrapper::GetAttribute(uint32_t type, const std::u16string& name) const
{
    const CNtfsFileRecordAttribute* attribute = record_.FindAttribute(type, name);
    if (attribute == nullptr)
        return nullptr;
    if (attribute->IsResident())
        return std::make_unique<CResidentAttribute>(*attribute);
    CNtfsRunList runs;
    if (!attribute->GetDataRunList(runs, clusterCount_))
        return nullptr;
    return std::make_unique<CNoresidentAttribute>(*attribute, runs);
}
