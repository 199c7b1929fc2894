#include "CNtfsMultiFileRecord.h"

#include <algorithm>
#include <set>

#include "CNtfsAttributeList.h"
#include "CNtfsMFT.h"
#include "CNtfsRunList.h"
#include "DebugMessage.h"
#include "NtfsLayout.h"

namespace {
// An attribute list describes at most a few thousand extents; a larger value is
// damage, and reading it would only waste memory.
constexpr uint64_t kMaxAttributeListBytes = 1u << 20;
} // namespace

bool CNtfsMultiFileRecord::Init(const CNtfsMFT& mft, uint64_t recordNumber)
{
    records_.clear();
    CNtfsFileRecord base;
    if (!mft.ReadFileRecord(recordNumber, base))
        return false;
    const uint64_t baseReference = base.GetBaseRecordReference();
    if (baseReference != 0) {
        const uint64_t baseNumber = NtfsRecordNumber(baseReference);
        if (!mft.ReadFileRecord(baseNumber, base) || base.GetBaseRecordReference() != 0 ||
            base.GetSequenceNumber() != NtfsSequenceNumber(baseReference))
            return false;
    }
    std::vector<CNtfsFileRecord> records;
    records.push_back(base);
    const CNtfsFileRecordAttribute* listAttribute = base.FindAttribute(NTFS_AT_ATTRIBUTE_LIST, u"");
    if (listAttribute != nullptr) {
        const uint64_t size = listAttribute->GetDataSize();
        if (size > kMaxAttributeListBytes)
            return false;
        std::vector<unsigned char> data(static_cast<size_t>(size));
        CNtfsAttributeList list;
        if (!mft.GetDataFromAttribute(*listAttribute, 0, data.data(), size) ||
            !list.InitFromAttributeListData(data.data(), data.size())) {
            DebugMessage("Attribute list of record %llu is damaged.\n", static_cast<unsigned long long>(recordNumber));
            return false;
        }
        std::set<uint64_t> seen{base.GetRecordNumber()};
        for (const NtfsAttributeListEntry& entry : list.GetEntries()) {
            const uint64_t number = NtfsRecordNumber(entry.FileReference);
            if (!seen.insert(number).second)
                continue;
            CNtfsFileRecord child;
            if (!mft.ReadFileRecord(number, child) ||
                NtfsRecordNumber(child.GetBaseRecordReference()) != base.GetRecordNumber() ||
                child.GetSequenceNumber() != NtfsSequenceNumber(entry.FileReference))
                return false;
            records.push_back(std::move(child));
        }
    }
    records_ = std::move(records);
    return true;
}

std::vector<const CNtfsFileRecordAttribute*> CNtfsMultiFileRecord::GetAttributeExtents(uint32_t type,
                                                                                        const std::u16string& name) const
{
    std::vector<const CNtfsFileRecordAttribute*> extents;
    for (const CNtfsFileRecord& record : records_) {
        for (const CNtfsFileRecordAttribute& attribute : record.GetAttributes()) {
            if (attribute.IsMyself(type, name))
                extents.push_back(&attribute);
        }
    }
    std::stable_sort(extents.begin(), extents.end(),
                     [](const CNtfsFileRecordAttribute* a, const CNtfsFileRecordAttribute* b) {
                         return a->GetLowestVcn() < b->GetLowestVcn();
                     });
    return extents;
}

bool CNtfsMultiFileRecord::GetAttributeRunList(uint32_t type, const std::u16string& name, int64_t clusterCount,
                                               CNtfsRunList& runs) const
{
    runs.Clear();
    const std::vector<const CNtfsFileRecordAttribute*> extents = GetAttributeExtents(type, name);
    if (extents.empty())
        return false;
    for (const CNtfsFileRecordAttribute* extent : extents) {
        CNtfsRunList part;
        if (extent->IsResident() || extent->GetLowestVcn() != runs.GetNextVcn() ||
            !extent->GetDataRunList(part, clusterCount)) {
            runs.Clear();
            return false;
        }
        runs.Append(part);
    }
    return true;
}
