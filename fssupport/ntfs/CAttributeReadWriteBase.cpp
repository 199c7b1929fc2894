#include "CAttributeReadWriteBase.h"

#include "CMultiRecordWrapper.h"
#include "CNtfsMFT.h"
#include "CRecordWrapper.h"

bool CAttributeReadWriteBase::LoadRecord(uint64_t recordNumber)
{
    if (lastRecord_ && lastRecord_->IsMyself(recordNumber))
        return true;
    lastRecord_.reset();
    if (mft_ == nullptr)
        return false;
    const int64_t clusters = static_cast<int64_t>(mft_->GetVolume().GetVolumeClusterCount());
    CNtfsFileRecord record;
    if (!mft_->ReadFileRecord(recordNumber, record))
        return false;
    if (record.IsAttributeListPresent() || record.GetBaseRecordReference() != 0) {
        CNtfsMultiFileRecord records;
        if (!records.Init(*mft_, recordNumber))
            return false;
        lastRecord_ = std::make_unique<CMultiRecordWrapper>(records, clusters);
    } else {
        lastRecord_ = std::make_unique<CRecordWrapper>(record, recordNumber, clusters);
    }
    return true;
}

std::unique_ptr<CAttributeI> CAttributeReadWriteBase::FindAttribute(uint64_t recordNumber, uint32_t type,
                                                                    const std::u16string& name)
{
    if (!LoadRecord(recordNumber))
        return nullptr;
    return lastRecord_->GetAttribute(type, name);
}

bool CAttributeReadWriteBase::GetAttributeSize(uint64_t recordNumber, uint32_t type, const std::u16string& name,
                                               uint64_t& size)
{
    std::unique_ptr<CAttributeI> attribute = FindAttribute(recordNumber, type, name);
    return attribute && attribute->GetSize(*this, size);
}
